#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

/// The browsers' native-messaging frames: a 32-bit length in this machine's byte order, then
/// that many bytes of UTF-8 JSON. The same frames carry the requests between Zerlith and a host.
namespace zerlith::browser {

/// The largest message accepted from anyone; a bigger one is skipped whole.
inline constexpr std::size_t kLongestMessage = 16 * 1024 * 1024;

/// The frame that carries `message`.
std::string frame(std::string_view message);

/// Cuts a byte stream into messages. A message longer than its limit is skipped without being
/// kept (the stream stays in step), and counted in dropped().
class FrameReader {
public:
    explicit FrameReader(std::size_t longest = kLongestMessage) : longest_(longest) {}

    /// Adds bytes as they arrive, in any pieces.
    void feed(std::string_view bytes) { pending_.append(bytes); }
    /// The next complete message, or none until more bytes arrive.
    std::optional<std::string> next();
    /// Messages skipped for their size so far.
    std::size_t dropped() const { return dropped_; }
    /// Whether a message is partly read (the stream ended mid-message when it then closes).
    bool midMessage() const { return !pending_.empty() || skipping_ > 0; }

private:
    std::size_t longest_;
    std::string pending_;
    std::uint64_t skipping_ = 0;  ///< bytes of an oversized message still to skip
    std::size_t dropped_ = 0;
};

}  // namespace zerlith::browser
