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

std::string labelText(std::string_view caption) {
    std::string text;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        text += caption[i];
        if (caption[i] == '&' && i + 1 < caption.size() && caption[i + 1] == '&') ++i;
    }
    return text;
}

}  // namespace tw::fluegas
