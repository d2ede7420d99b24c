// The INI layer: any bytes read without harm; a written key reads back,
// every other entry stays as it was, and no temporary file is left.
#include <dirent.h>

#include "base/ini_file.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

int filesIn(const std::string& dir)
{
    int n = 0;
    if (DIR* d = opendir(dir.c_str())) {
        while (const dirent* e = readdir(d))
            n += e->d_name[0] != '.' || std::string_view(e->d_name).find(".tmp-") != std::string_view::npos;
        closedir(d);
    }
    return n;
}

std::string lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = asText(data, size);
    const IniSnapshot snapshot { std::string(text) };
    const auto sections = snapshot.sectionNames();

    writeScratch("f.ini", text);
    const IniFile ini(scratchDir() + "f.ini");
    // A value from the input's first bytes, as printable ASCII without
    // spaces at its ends or quotes (a reader takes quotes around a value
    // away), which every INI reader gives back as it is.
    std::string value;
    for (char c : text.substr(0, 16)) {
        const char printable = static_cast<char>(' ' + static_cast<unsigned char>(c) % 95);
        value.push_back(printable == '"' || printable == '\'' ? '_' : printable);
    }
    while (!value.empty() && value.back() == ' ')
        value.pop_back();
    while (!value.empty() && value.front() == ' ')
        value.erase(0, 1);
    std::string before[8];
    const std::size_t checked = std::min<std::size_t>(sections.size(), 8);
    for (std::size_t i = 0; i < checked; ++i)
        before[i] = ini.readString(sections[i], "nodecount");
    try {
        ini.writeString("fuzz", "key", value);
    } catch (const IniWriteError&) {
        return 0;
    }
    FUZZ_REQUIRE(ini.readString("fuzz", "key") == value);
    for (std::size_t i = 0; i < checked; ++i)
        if (lower(sections[i]) != "fuzz")
            FUZZ_REQUIRE(ini.readString(sections[i], "nodecount") == before[i]);
    FUZZ_REQUIRE(filesIn(scratchDir()) == 1);
    return 0;
}
