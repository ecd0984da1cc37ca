// The font picker's faces and sizes.
#include "font_choice.h"

#include <algorithm>
#include <cstdlib>

namespace nuntio {

int32_t MulDivRounded(int64_t a, int64_t b, int64_t c) {
    if (c == 0) return -1;
    if (c < 0) {
        a = -a;
        c = -c;
    }
    const int64_t product = a * b;
    const int64_t result = (product >= 0 ? product + c / 2 : product - c / 2) / c;
    if (result > INT32_MAX || result < -INT32_MAX) return -1;
    return static_cast<int32_t>(result);
}

int PointsOfHeight(int32_t lfHeight, int dpi) {
    return std::max(1, MulDivRounded(std::abs(static_cast<int64_t>(lfHeight)), 72, dpi));
}

int32_t HeightOfPoints(int points, int dpi) {
    return -MulDivRounded(points, dpi, 72);
}

std::vector<int> SizesOffered(int points) {
    std::vector<int> sizes(std::begin(kFontSizes), std::end(kFontSizes));
    const auto at = std::lower_bound(sizes.begin(), sizes.end(), points);
    if (at == sizes.end() || *at != points) sizes.insert(at, points);
    return sizes;
}

void FontFaces::Add(std::string_view face, uint8_t charset) {
    if (face.empty() || face.front() == '@') return;
    const auto [it, added] = m_faces.emplace(face, charset);
    if (!added && charset == kChineseCharset) it->second = charset;
}

void FontFaces::AddShown(std::string_view face, uint8_t charset) {
    if (!face.empty()) m_faces.emplace(face, charset);
}

std::optional<uint8_t> FontFaces::Charset(const std::string& face) const {
    const auto it = m_faces.find(face);
    if (it == m_faces.end()) return std::nullopt;
    return it->second;
}

std::vector<std::string> FontFaces::Names() const {
    std::vector<std::string> names;
    names.reserve(m_faces.size());
    for (const auto& face : m_faces)
        names.push_back(face.first);
    return names;
}

} // namespace nuntio
