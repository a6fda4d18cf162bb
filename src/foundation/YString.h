#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Text of the framework: UTF-16 code units with shared, copy-on-write storage.
//
// A string made from a literal only points at the literal (flag kLiteral); literals
// hold ASCII only, which the compiler checks. Every other string points at the code
// units of a heap block laid out as
//     int32 block size in bytes | int32 reference count | code units | NUL unit
// Copies share the block (one atomic increment); the first modification of a shared
// or literal string copies it into a block of its own.
//
// Strings may be copied and destroyed on any thread; one string object is not
// written by two threads at once.
class YString {
public:
    YString() noexcept : chars_(""), length_(0), flags_(kLiteral) {}

    // Only string literals (and other constant arrays) reach this constructor: a
    // runtime buffer must be copied with FromLatin1, FromUtf8 or the unit constructor.
    template <std::size_t N>
    consteval YString(const char (&literal)[N]) : chars_(literal), length_(N - 1), flags_(kLiteral) {
        for (std::size_t i = 0; i + 1 < N; ++i)
            if (static_cast<unsigned char>(literal[i]) >= 0x80 || literal[i] == 0) throw "YString literals are NUL-free ASCII";
    }

    YString(const char16_t* units, std::size_t count);
    explicit YString(std::u16string_view units) : YString(units.data(), units.size()) {}
    explicit YString(char16_t c) : YString(&c, 1) {}

    // Each byte becomes one code unit (the Printf widening).
    static YString FromLatin1(std::string_view bytes);
    static YString FromUtf8(std::string_view utf8);

    YString(const YString& other) noexcept;
    YString(YString&& other) noexcept;
    YString& operator=(const YString& other) noexcept;
    YString& operator=(YString&& other) noexcept;
    ~YString();

    uint32_t Length() const noexcept { return length_; }
    bool IsEmpty() const noexcept { return length_ == 0; }
    bool IsLiteral() const noexcept { return (flags_ & kLiteral) != 0; }

    // Reads treat both representations alike: a literal byte is its code unit.
    char16_t operator[](uint32_t index) const noexcept {
        return IsLiteral() ? static_cast<char16_t>(static_cast<const unsigned char*>(chars_)[index])
                           : static_cast<const char16_t*>(chars_)[index];
    }

    // Makes the storage unique and able to hold count characters plus the terminator.
    void Reserve(uint32_t count);

    void SetAt(uint32_t index, char16_t c);
    YString& Insert(uint32_t position, const YString& text);
    YString& Remove(int64_t position, int64_t count);
    YString& Append(const YString& text) { return Insert(length_, text); }
    YString& Append(char16_t c);
    YString& operator+=(const YString& text) { return Append(text); }
    YString& operator+=(char16_t c) { return Append(c); }
    void Clear() noexcept { *this = YString(); }

    YString Substring(uint32_t start, uint32_t count = UINT32_MAX) const;
    // Replaces every occurrence of c by text; returns the number of replacements.
    int ReplaceChar(char16_t c, const YString& text);
    // Index of the first c at or after from, or -1.
    int64_t Find(char16_t c, uint32_t from = 0) const noexcept;
    YString Trimmed() const;

    std::u16string ToU16() const;
    std::string ToUtf8() const;
    // The low 8 bits of each unit (what 8-bit interfaces receive).
    std::string ToLatin1() const;

    bool operator==(const YString& other) const noexcept;
    bool operator<(const YString& other) const noexcept;

    // Accent- and case-insensitive comparison of at most maxCount characters:
    // characters from U+00C0 fold to their base letter, then A-Z fold to a-z.
    static int CompareNoCase(const YString& a, const YString& b, uint32_t maxCount = UINT32_MAX) noexcept;
    static bool EqualsNoCase(const YString& a, const YString& b) noexcept { return CompareNoCase(a, b) == 0; }

    // printf into an 8,192-byte buffer (longer output is cut), bytes widened to units.
    static YString Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

private:
    static constexpr uint8_t kLiteral = 1;
    struct Block;

    Block* block() const noexcept;
    char16_t* units() noexcept { return static_cast<char16_t*>(const_cast<void*>(chars_)); }
    uint32_t Capacity() const noexcept;
    void ReleaseStorage() noexcept;

    const void* chars_;
    uint32_t length_;
    uint8_t flags_;
};

inline YString operator+(YString a, const YString& b) { return a.Append(b); }

using YStringList = std::vector<YString>;

// Base-case folding of one character (identity below U+00C0 and outside the table).
char16_t FoldCharacter(char16_t c) noexcept;

// An optional "-", then digits of the base up to the first other character; 0 when
// there is none. consumed receives the characters used (sign included).
int64_t ToInteger(const YString& text, int base = 10, uint32_t* consumed = nullptr) noexcept;
// The C runtime's decimal conversion of the text's 8-bit form (leading white space,
// a sign, "0x" hexadecimal, "inf" and "nan" included), with the point as separator
// whatever the C locale; 0 without digits.
double ToDouble(const YString& text) noexcept;
// The same reading, answering false when the text holds no number at all.
bool TryToDouble(const YString& text, double& value) noexcept;
// 0-9, A-F, a-f; anything else raises "Invalid character to be converted to a number.".
int HexDigitValue(char16_t c);
