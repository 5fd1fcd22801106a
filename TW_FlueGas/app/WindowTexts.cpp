#include "WindowTexts.h"

#include <string>

namespace tw::fluegas {

std::string menuText(const MenuCaption& caption, std::int32_t language) {
    if (language != TW_English || caption.english == nullptr) return caption.korean;
    std::string text = caption.english;
    if (!caption.literalEnglish) return text;
    std::string escaped;
    for (char c : text) {
        escaped += c;
        if (c == '&') escaped += '&';
    }
    return escaped;
}

std::string messageText(const BilingualText& message, std::int32_t language,
                        std::initializer_list<std::pair<std::string_view, std::string>> values) {
    const char* pattern = message.in(language);
    if (pattern == nullptr) return {};
    std::string text = pattern;
    for (const auto& [key, value] : values) {
        const std::string marker = "{" + std::string(key) + "}";
        for (std::size_t at = text.find(marker); at != std::string::npos;
             at = text.find(marker, at + value.size())) {
            text.replace(at, marker.size(), value);
        }
    }
    return text;
}

std::string labelText(std::string_view caption) {
    std::string text;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        text += caption[i];
        if (caption[i] == '&' && i + 1 < caption.size() && caption[i + 1] == '&') ++i;
    }
    return text;
}

}  // namespace tw::fluegas
