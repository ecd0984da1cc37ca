// What the font picker offers: the faces with the character set to ask each
// for, the sizes in points, and the rule between points and a LOGFONT height
// at the screen's dots per inch.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nuntio {

// GB2312_CHARSET: the character set of simplified Chinese text.
inline constexpr uint8_t kChineseCharset = 134;

// The sizes the picker always offers, in points.
inline constexpr int kFontSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

// a * b / c rounded half away from zero, as Win32's MulDiv: -1 when c is 0
// or the result does not fit 32 bits.
int32_t MulDivRounded(int64_t a, int64_t b, int64_t c);

// The size in points of a font lfHeight high (either sign: cell or character
// height, taken alike), at least 1.
int PointsOfHeight(int32_t lfHeight, int dpi);
// The lfHeight of a font of that many points: negative, a character height.
int32_t HeightOfPoints(int points, int dpi);
// The sizes to offer for a font of that many points: the usual ones, with
// its own among them in order when it is none of them.
std::vector<int> SizesOffered(int points);

// The faces the screen has, each with the character set to ask for it in:
// Chinese where the face has it, else the first one it came with.
class FontFaces {
public:
    // One face and character set as the font enumeration reports them;
    // vertical faces ("@...") and nameless ones are not offered.
    void Add(std::string_view face, uint8_t charset);
    // The face of a font to be shown that the enumeration did not report:
    // offered with that font's character set.
    void AddShown(std::string_view face, uint8_t charset);
    // The character set for a face, nothing for a face not added.
    std::optional<uint8_t> Charset(const std::string& face) const;
    // Each face once.
    std::vector<std::string> Names() const;

private:
    std::map<std::string, uint8_t, std::less<>> m_faces;
};

} // namespace nuntio
