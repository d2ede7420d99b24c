#include "core/account/portal_request.h"

#include "platform/gbk_codec.h"

std::string encodeQueryValue(std::string_view utf8)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : platform::utf8ToGbk(utf8)) {
        const bool unsafe = c <= 0x20 || c == 0x7F || c == '%' || c == '&' || c == '#' || c == '+';
        if (unsafe) {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

HttpRequest accountServerRequest(std::string url)
{
    HttpRequest r;
    r.url = std::move(url);
    r.headers = { http_headers::kUserAgent, http_headers::kAccept };
    r.followRedirects = false;
    return r;
}

std::string loginUrl(const std::string& portalBase, std::string_view user, std::string_view password)
{
    return portalBase + "Exelogin.aspx?username=" + encodeQueryValue(user)
        + "&password=" + encodeQueryValue(password);
}

std::string policyUrl(const std::string& portalBase, std::string_view user)
{
    return portalBase + "/GetLogin.aspx?username=" + encodeQueryValue(user);
}
