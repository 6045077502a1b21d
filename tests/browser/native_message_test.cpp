#include "browser/native_message.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace zerlith::browser {
namespace {

std::vector<std::string> readAll(FrameReader& reader) {
    std::vector<std::string> messages;
    while (auto message = reader.next()) messages.push_back(*message);
    return messages;
}

TEST(FrameReader, CutsAnyStreamIntoItsMessages) {
    const std::string stream = frame(R"({"a":1})") + frame("") + frame(std::string(70000, 'x'));
    const std::vector<std::string> expected{R"({"a":1})", "", std::string(70000, 'x')};
    for (const std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{4096}, stream.size()}) {
        FrameReader reader;
        std::vector<std::string> messages;
        for (std::size_t at = 0; at < stream.size(); at += piece) {
            reader.feed(std::string_view(stream).substr(at, piece));
            for (auto& message : readAll(reader)) messages.push_back(std::move(message));
        }
        EXPECT_EQ(messages, expected) << "pieces of " << piece;
        EXPECT_FALSE(reader.midMessage());
    }
}

TEST(FrameReader, SkipsOversizedMessagesAndStaysInStep) {
    FrameReader reader(16);
    reader.feed(frame("small") + frame(std::string(17, 'x')));
    EXPECT_EQ(readAll(reader), std::vector<std::string>{"small"});
    reader.feed(frame("after"));
    EXPECT_EQ(readAll(reader), std::vector<std::string>{"after"});
    EXPECT_EQ(reader.dropped(), 1u);

    // A length of 4 GB announced by a broken peer is skipped as it arrives, never held.
    reader.feed(std::string(4, '\xff') + std::string(1000, 'y'));
    EXPECT_TRUE(readAll(reader).empty());
    EXPECT_EQ(reader.dropped(), 2u);
    EXPECT_TRUE(reader.midMessage());
}

TEST(FrameReader, TruncatedStreamYieldsNothing) {
    for (const std::string& partial : {std::string("\x05"), frame("hello").substr(0, 6)}) {
        FrameReader reader;
        reader.feed(partial);
        EXPECT_FALSE(reader.next());
        EXPECT_TRUE(reader.midMessage());
    }
}

}  // namespace
}  // namespace zerlith::browser
