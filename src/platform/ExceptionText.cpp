#include "platform/ExceptionText.h"

#include <string_view>

namespace vlz {
namespace {

bool EndsWithFullStop(std::string_view text) {
    // "。" (U+3002) and "．" (U+FF0E) end a Japanese sentence.
    return text.ends_with('.') || text.ends_with("\xE3\x80\x82") || text.ends_with("\xEF\xBC\x8E");
}

}  // namespace

std::string WithFullStop(std::string text) {
    if (!EndsWithFullStop(text)) {
        text += '.';
    }
    return text;
}

std::string ExceptionText(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& exception) {
        return WithFullStop(exception.what());
    } catch (...) {
        return WithFullStop("Unknown exception");
    }
}

}  // namespace vlz
