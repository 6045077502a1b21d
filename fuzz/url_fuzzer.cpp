// A tab's URL, as any page may set it: its parts and everything the classifier reads from it.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ranking/classifier.hpp"
#include "ranking/url_parts.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zerlith;
    const std::string_view url(reinterpret_cast<const char*>(data), size);
    if (const auto parts = parseUrl(url)) (void)parts->path();
    const std::string host = Classifier::host(url);
    (void)Classifier::category(url, host);
    if (const auto hint = Classifier::pathHint(url); hint && hint->empty()) std::abort();
    return 0;
}
