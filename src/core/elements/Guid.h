#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace velmora {

// A 128-bit interface identifier, written in code as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
struct TGuid
{
    std::uint32_t Data1 = 0;
    std::uint16_t Data2 = 0;
    std::uint16_t Data3 = 0;
    std::array<std::uint8_t, 8> Data4{};

    // Parses the braced registry form at compile time; a malformed text does not compile.
    static consteval TGuid Parse(const char (&text)[39])
    {
        if (text[0] != '{' || text[9] != '-' || text[14] != '-' || text[19] != '-' || text[24] != '-' || text[37] != '}')
            throw "malformed GUID";
        TGuid guid;
        guid.Data1 = static_cast<std::uint32_t>(Hex(text, 1, 8));
        guid.Data2 = static_cast<std::uint16_t>(Hex(text, 10, 4));
        guid.Data3 = static_cast<std::uint16_t>(Hex(text, 15, 4));
        guid.Data4[0] = static_cast<std::uint8_t>(Hex(text, 20, 2));
        guid.Data4[1] = static_cast<std::uint8_t>(Hex(text, 22, 2));
        for (int i = 0; i < 6; ++i)
            guid.Data4[2 + i] = static_cast<std::uint8_t>(Hex(text, 25 + 2 * i, 2));
        return guid;
    }

    // The braced upper-case form.
    QString ToString() const;

    friend constexpr bool operator==(const TGuid &, const TGuid &) = default;

private:
    static consteval std::uint64_t Hex(const char (&text)[39], int from, int count)
    {
        std::uint64_t value = 0;
        for (int i = from; i < from + count; ++i) {
            const char c = text[i];
            int digit = 0;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else
                throw "malformed GUID";
            value = value * 16 + static_cast<std::uint64_t>(digit);
        }
        return value;
    }
};

} // namespace velmora
