#include "engine/constdata.h"

#include "engine/codec.h"

namespace velm {
namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string invalidCodeMessage(std::string_view code)
{
    return "『" + std::string(code) + "』は、不正なS-JISｺｰﾄﾞです。";
}

} // namespace

EditChangeResult EditChange(std::string_view code)
{
    EditChangeResult result;
    // The length is counted as the settings store holds the text: in CP932 bytes.
    if (cp932Width(code) != 4) {
        result.message = "文字ｺｰﾄﾞは、４文字で指定して下さい。";
        return result;
    }
    if (code.size() != 4) { // four bytes wide but not four ASCII digits
        result.message = invalidCodeMessage(code);
        return result;
    }
    std::string bytes(2, '\0');
    for (int i = 0; i < 4; ++i) {
        int d = hexDigit(code[static_cast<std::size_t>(i)]);
        if (d < 0) {
            result.message = invalidCodeMessage(code);
            return result;
        }
        bytes[static_cast<std::size_t>(i / 2)] =
            static_cast<char>((static_cast<unsigned char>(bytes[static_cast<std::size_t>(i / 2)]) << 4) | d);
    }
    // A byte pair that is no CP932 text (a lone lead byte, NUL) would leave a
    // broken name in every table that uses it; treat it like a bad code.
    CodecResult decoded = decodeCp932(bytes);
    if (!decoded.ok || decoded.text.find('\0') != std::string::npos) {
        result.message = invalidCodeMessage(code);
        return result;
    }
    result.character = std::move(decoded.text);
    return result;
}

ConstData MakeConstData(const std::array<std::string, 3> &codes)
{
    ConstData data;
    std::array<std::string, 3> special;
    for (int i = 0; i < 3; ++i) {
        EditChangeResult r = EditChange(codes[static_cast<std::size_t>(i)]);
        if (!r.message.empty())
            data.messages.push_back(r.message);
        special[static_cast<std::size_t>(i)] = std::move(r.character);
    }

    for (std::size_t i = 0; i < data.StarChar.size(); ++i)
        data.StarChar[i] = std::string(StarCharSource[i]);
    data.StarChar[6] = cutCp932(special[0], 2);

    for (std::size_t i = 0; i < data.DeityName.size(); ++i)
        data.DeityName[i] = std::string(DeityNameSource[i]);
    data.DeityName[2] = cutCp932(special[2] + "蛇", 4);

    for (std::size_t i = 0; i < data.PatternName.size(); ++i)
        data.PatternName[i] = cutCp932(PatternNameSource[i], 8);
    data.PatternName[27] = cutCp932(special[1] + "入太白", 8);
    data.PatternName[28] = cutCp932("太白入" + special[1], 8);
    data.PatternName[37] = cutCp932(special[2] + "蛇妖矯", 8);
    return data;
}

} // namespace velm
