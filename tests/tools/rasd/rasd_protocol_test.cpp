// The service's wire: frames, fields and escapes.

#include <gtest/gtest.h>

#include "platform/linux/rasd_protocol.h"

using platform::rasd::FrameReader;
using platform::rasd::Message;

TEST(RasdProtocol, EveryByteOfAValueComesBackAndKeysKeepTheirOrder)
{
    const std::string awkward = std::string("a=b%25\r\nc\0d \"' \xd6\xd0", 17);
    Message m("dial");
    m.add("password", awkward).add("r", "1.0.1.0/24 5 10").add("r", "").add("entry", "TUVEKP");
    const std::string body = m.encode();
    EXPECT_EQ(body.find('\0'), std::string::npos);
    EXPECT_EQ(std::count(body.begin(), body.end(), '\n'), 5) << "one line per field";
    const auto back = Message::decode(body);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->fields(), m.fields());
    EXPECT_EQ(back->get("password"), awkward);
    EXPECT_EQ(back->all("r"), (std::vector<std::string> { "1.0.1.0/24 5 10", "" }));
}

TEST(RasdProtocol, MalformedBodiesAreRefused)
{
    for (const char* body : { "op=list", "op\n", "=x\n", "Op=list\n", "op=a%2\n", "op=a%zz\n", "o p=x\n",
             "op=list\nno line end" })
        EXPECT_FALSE(Message::decode(body)) << body;
    EXPECT_TRUE(Message::decode(""));
    EXPECT_FALSE(Message::decode("op=status\n")->getInt("handle"));
    EXPECT_FALSE(Message::decode("handle=12x\n")->getInt("handle"));
}

TEST(RasdProtocol, FramesAreCutFromAStreamAndOversizedOnesStopIt)
{
    const std::string two = platform::rasd::frame(Message("list")) + platform::rasd::frame(Message("attach"));
    FrameReader reader;
    std::string body;
    // Byte by byte, as a slow sender would send it.
    std::vector<std::string> seen;
    for (char c : two) {
        reader.feed(std::string_view(&c, 1));
        while (reader.next(body) == FrameReader::Result::Frame)
            seen.push_back(Message::decode(body)->get("op"));
    }
    EXPECT_EQ(seen, (std::vector<std::string> { "list", "attach" }));

    FrameReader big;
    big.feed(std::string("\x00\x10\x00\x01", 4)); // one byte over 1 MiB
    EXPECT_EQ(big.next(body), FrameReader::Result::TooLarge);
}
