#include "platform/gbk_codec.h"

#include <cerrno>
#include <iconv.h>

namespace platform {
namespace {

// iconv descriptors are not thread-safe, so every thread keeps its own pair.
class Converter {
public:
    Converter(const char* to, const char* from)
        : cd_(iconv_open(to, from))
    {
    }
    ~Converter()
    {
        if (cd_ != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // skipInvalid: how many input bytes one unconvertible character spans.
    template <typename SkipFn> std::string run(std::string_view in, SkipFn skipInvalid)
    {
        std::string out;
        if (cd_ == reinterpret_cast<iconv_t>(-1) || in.empty())
            return out;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        out.reserve(in.size() * 2);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        char buf[1024];
        while (srcLeft > 0) {
            char* dst = buf;
            size_t dstLeft = sizeof buf;
            const size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buf, static_cast<size_t>(dst - buf));
            if (r != static_cast<size_t>(-1))
                break;
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL (truncated input): replace and step over it.
            const size_t skip
                = std::min(srcLeft, skipInvalid(reinterpret_cast<unsigned char*>(src), srcLeft));
            src += skip;
            srcLeft -= skip;
            out.push_back('?');
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

private:
    iconv_t cd_;
};

size_t utf8SequenceLength(const unsigned char* p, size_t left)
{
    size_t n = 1;
    if (p[0] >= 0xF0)
        n = 4;
    else if (p[0] >= 0xE0)
        n = 3;
    else if (p[0] >= 0xC0)
        n = 2;
    size_t i = 1;
    while (i < n && i < left && (p[i] & 0xC0) == 0x80)
        ++i;
    return i;
}

size_t gbkSequenceLength(const unsigned char* p, size_t left)
{
    const bool lead = p[0] >= 0x81 && p[0] <= 0xFE;
    const bool trail = left >= 2 && p[1] >= 0x40 && p[1] <= 0xFE && p[1] != 0x7F;
    return lead && trail ? 2 : 1;
}

} // namespace

std::string utf8ToGbk(std::string_view utf8)
{
    thread_local Converter conv("CP936", "UTF-8");
    return conv.run(utf8, utf8SequenceLength);
}

std::string gbkToUtf8(std::string_view gbk)
{
    thread_local Converter conv("UTF-8", "CP936");
    return conv.run(gbk, gbkSequenceLength);
}

} // namespace platform
