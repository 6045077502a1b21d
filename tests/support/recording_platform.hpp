#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.hpp"
#include "support/forwarding_platform.hpp"

namespace zerlith::testing {

/// Forwards everything to another platform (a simulated desktop) and notes each attribute read
/// with the clock time it happened at, so a test can count looks and see when a frame was read.
/// Install it on top of the desktop with platform::ScopedPlatform. Test thread only.
class RecordingPlatform final : public ForwardingPlatform, platform::Accessibility {
public:
    struct Read {
        std::string attribute;
        double at;  ///< monotonic seconds
    };

    explicit RecordingPlatform(platform::Platform& inner) : ForwardingPlatform(inner) {}

    const std::vector<Read>& reads() const { return reads_; }
    std::size_t readsOf(std::string_view attribute) const {
        std::size_t count = 0;
        for (const auto& read : reads_) count += read.attribute == attribute;
        return count;
    }
    /// The time of the first read of `attribute`, or -1 when it was never read.
    double firstReadOf(std::string_view attribute) const {
        for (const auto& read : reads_)
            if (read.attribute == attribute) return read.at;
        return -1;
    }

    platform::Accessibility& accessibility() override { return *this; }

private:
    bool isProcessTrusted() override { return inner_.macOS()->accessibility().isProcessTrusted(); }
    void promptForTrust() override { inner_.macOS()->accessibility().promptForTrust(); }
    platform::AXElementRef application(Pid pid) override { return inner_.macOS()->accessibility().application(pid); }
    void setMessagingTimeout(const platform::AXElementRef& element, double seconds) override {
        inner_.macOS()->accessibility().setMessagingTimeout(element, seconds);
    }
    platform::AXReading copyAttribute(const platform::AXElementRef& element, std::string_view attribute) override {
        reads_.push_back({std::string(attribute), static_cast<double>(inner_.clock().monotonicNanos()) / 1e9});
        return inner_.macOS()->accessibility().copyAttribute(element, attribute);
    }
    platform::AXError setAttribute(const platform::AXElementRef& element, std::string_view attribute,
                                   const platform::AXValue& value) override {
        return inner_.macOS()->accessibility().setAttribute(element, attribute, value);
    }
    platform::AXError performAction(const platform::AXElementRef& element, std::string_view action) override {
        return inner_.macOS()->accessibility().performAction(element, action);
    }

    std::vector<Read> reads_;
};

}  // namespace zerlith::testing
