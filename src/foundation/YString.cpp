#include "foundation/YString.h"

#include "foundation/YEncoding.h"
#include "foundation/YException.h"
#include "foundation/YFoldingTable.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

struct YString::Block {
    int32_t size;
    std::atomic<int32_t> references;

    char16_t* Units() noexcept { return reinterpret_cast<char16_t*>(this + 1); }

    // Room for count characters and the terminator: 2n + 8 bytes and more, rounded
    // up to a power of two.
    static uint32_t SizeFor(uint32_t count) noexcept {
        uint64_t bytes = 2ull * (count + 1ull) + sizeof(Block);
        uint64_t size = 4;
        while (size < bytes) size <<= 1;
        return static_cast<uint32_t>(size);
    }

    static Block* Allocate(uint32_t count) {
        uint32_t size = SizeFor(count);
        void* memory = std::malloc(size);
        if (memory == nullptr) ThrowOutOfMemory();
        Block* block = static_cast<Block*>(memory);
        block->size = static_cast<int32_t>(size);
        new (&block->references) std::atomic<int32_t>(1);
        return block;
    }
};
static_assert(sizeof(std::atomic<int32_t>) == 4 && sizeof(int32_t) * 2 == 8, "block header is two 32-bit words");

YString::Block* YString::block() const noexcept {
    return reinterpret_cast<Block*>(static_cast<char*>(const_cast<void*>(chars_)) - sizeof(Block));
}

uint32_t YString::Capacity() const noexcept {
    return IsLiteral() ? 0 : static_cast<uint32_t>((block()->size - static_cast<int32_t>(sizeof(Block))) / 2 - 1);
}

YString::YString(const char16_t* units, std::size_t count) : YString() {
    if (count == 0) return;
    Block* fresh = Block::Allocate(static_cast<uint32_t>(count));
    std::memcpy(fresh->Units(), units, count * sizeof(char16_t));
    fresh->Units()[count] = 0;
    chars_ = fresh->Units();
    length_ = static_cast<uint32_t>(count);
    flags_ = 0;
}

YString YString::FromLatin1(std::string_view bytes) {
    YString result;
    if (bytes.empty()) return result;
    result.Reserve(static_cast<uint32_t>(bytes.size()));
    char16_t* out = result.units();
    for (std::size_t i = 0; i < bytes.size(); ++i) out[i] = static_cast<unsigned char>(bytes[i]);
    result.length_ = static_cast<uint32_t>(bytes.size());
    out[result.length_] = 0;
    return result;
}

YString YString::FromUtf8(std::string_view utf8) {
    return YEncoding::GetUTF8Codec().Decode(YByteBuffer::Borrow(utf8.data(), utf8.size()));
}

YString::YString(const YString& other) noexcept : chars_(other.chars_), length_(other.length_), flags_(other.flags_) {
    if (!IsLiteral()) block()->references.fetch_add(1, std::memory_order_relaxed);
}

YString::YString(YString&& other) noexcept : chars_(other.chars_), length_(other.length_), flags_(other.flags_) {
    other.chars_ = "";
    other.length_ = 0;
    other.flags_ = kLiteral;
}

YString& YString::operator=(const YString& other) noexcept {
    if (this != &other) {
        YString copy(other);
        *this = std::move(copy);
    }
    return *this;
}

YString& YString::operator=(YString&& other) noexcept {
    if (this != &other) {
        ReleaseStorage();
        chars_ = other.chars_;
        length_ = other.length_;
        flags_ = other.flags_;
        other.chars_ = "";
        other.length_ = 0;
        other.flags_ = kLiteral;
    }
    return *this;
}

YString::~YString() { ReleaseStorage(); }

void YString::ReleaseStorage() noexcept {
    if (IsLiteral()) return;
    Block* b = block();
    if (b->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        b->references.~atomic();
        std::free(b);
    }
}

void YString::Reserve(uint32_t count) {
    count = std::max(count, length_);
    if (IsLiteral()) {
        Block* fresh = Block::Allocate(count);
        const auto* bytes = static_cast<const unsigned char*>(chars_);
        for (uint32_t i = 0; i < length_; ++i) fresh->Units()[i] = bytes[i];
        fresh->Units()[length_] = 0;
        chars_ = fresh->Units();
        flags_ = 0;
        return;
    }
    Block* current = block();
    if (current->references.load(std::memory_order_acquire) > 1) {
        Block* fresh = Block::Allocate(std::max(count, Capacity()));
        std::memcpy(fresh->Units(), current->Units(), (length_ + 1) * sizeof(char16_t));
        ReleaseStorage();
        chars_ = fresh->Units();
        return;
    }
    if (Capacity() < count) {
        uint32_t size = Block::SizeFor(count);
        void* memory = std::realloc(current, size);
        if (memory == nullptr) ThrowOutOfMemory();
        Block* grown = static_cast<Block*>(memory);
        grown->size = static_cast<int32_t>(size);
        chars_ = grown->Units();
    }
}

void YString::SetAt(uint32_t index, char16_t c) {
    if (index >= length_) ThrowIndexOutOfRange();
    Reserve(length_);
    units()[index] = c;
}

YString& YString::Insert(uint32_t position, const YString& text) {
    if (text.length_ == 0) return *this;
    const YString source(text);  // keeps the characters alive when text is this string
    position = std::min(position, length_);
    uint32_t newLength = length_ + source.length_;
    Reserve(newLength);
    char16_t* out = units();
    std::memmove(out + position + source.length_, out + position, (length_ - position) * sizeof(char16_t));
    for (uint32_t i = 0; i < source.length_; ++i) out[position + i] = source[i];
    length_ = newLength;
    out[length_] = 0;
    return *this;
}

YString& YString::Append(char16_t c) {
    Reserve(length_ + 1);
    units()[length_++] = c;
    units()[length_] = 0;
    return *this;
}

YString& YString::Remove(int64_t position, int64_t count) {
    if (position < 0 || position >= length_ || count <= 0) return *this;
    uint32_t start = static_cast<uint32_t>(position);
    uint32_t removed = static_cast<uint32_t>(std::min<int64_t>(count, length_ - start));
    Reserve(length_);
    char16_t* out = units();
    std::memmove(out + start, out + start + removed, (length_ - start - removed) * sizeof(char16_t));
    length_ -= removed;
    out[length_] = 0;
    return *this;
}

YString YString::Substring(uint32_t start, uint32_t count) const {
    if (start >= length_) return YString();
    count = std::min(count, length_ - start);
    if (start == 0 && count == length_) return *this;
    YString result;
    result.Reserve(count);
    for (uint32_t i = 0; i < count; ++i) result.units()[i] = (*this)[start + i];
    result.length_ = count;
    result.units()[count] = 0;
    return result;
}

int YString::ReplaceChar(char16_t c, const YString& text) {
    int replaced = 0;
    for (uint32_t i = 0; i < length_; ++i) replaced += (*this)[i] == c;
    if (replaced == 0) return 0;
    YString result;
    result.Reserve(length_ + replaced * text.length_);
    for (uint32_t i = 0; i < length_; ++i) {
        if ((*this)[i] == c)
            result.Append(text);
        else
            result.Append((*this)[i]);
    }
    *this = std::move(result);
    return replaced;
}

int64_t YString::Find(char16_t c, uint32_t from) const noexcept {
    for (uint32_t i = from; i < length_; ++i)
        if ((*this)[i] == c) return i;
    return -1;
}

YString YString::Trimmed() const {
    uint32_t begin = 0, end = length_;
    while (begin < end && (*this)[begin] <= 32) ++begin;
    while (end > begin && (*this)[end - 1] <= 32) --end;
    return Substring(begin, end - begin);
}

std::u16string YString::ToU16() const {
    std::u16string result(length_, u'\0');
    for (uint32_t i = 0; i < length_; ++i) result[i] = (*this)[i];
    return result;
}

std::string YString::ToUtf8() const {
    YByteBuffer bytes = YEncoding::GetUTF8Codec().Encode(*this, false);
    return std::string(reinterpret_cast<const char*>(bytes.Data()), bytes.Size());
}

std::string YString::ToLatin1() const {
    std::string result(length_, '\0');
    for (uint32_t i = 0; i < length_; ++i) result[i] = static_cast<char>((*this)[i] & 0xFF);
    return result;
}

bool YString::operator==(const YString& other) const noexcept {
    if (length_ != other.length_) return false;
    if (chars_ == other.chars_ && flags_ == other.flags_) return true;
    for (uint32_t i = 0; i < length_; ++i)
        if ((*this)[i] != other[i]) return false;
    return true;
}

bool YString::operator<(const YString& other) const noexcept {
    uint32_t n = std::min(length_, other.length_);
    for (uint32_t i = 0; i < n; ++i)
        if ((*this)[i] != other[i]) return (*this)[i] < other[i];
    return length_ < other.length_;
}

char16_t FoldCharacter(char16_t c) noexcept {
    if (c < 0xC0) return c;
    const YFoldingPair* begin = kYFoldingTable;
    const YFoldingPair* end = kYFoldingTable + kYFoldingTableSize;
    const YFoldingPair* hit = std::lower_bound(begin, end, c, [](const YFoldingPair& p, char16_t v) { return p.from < v; });
    return (hit != end && hit->from == c) ? hit->to : c;
}

int YString::CompareNoCase(const YString& a, const YString& b, uint32_t maxCount) noexcept {
    auto folded = [](char16_t c) -> char16_t {
        c = FoldCharacter(c);
        return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
    };
    for (uint32_t i = 0; i < maxCount; ++i) {
        char16_t ca = i < a.length_ ? folded(a[i]) : 0;
        char16_t cb = i < b.length_ ? folded(b[i]) : 0;
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == 0 && i >= a.length_ && i >= b.length_) return 0;
    }
    return 0;
}

YString YString::Printf(const char* format, ...) {
    char buffer[8192];
    va_list arguments;
    va_start(arguments, format);
    int written = std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    if (written < 0) return YString();
    return FromLatin1(std::string_view(buffer, std::min<std::size_t>(static_cast<std::size_t>(written), sizeof buffer - 1)));
}

int64_t ToInteger(const YString& text, int base, uint32_t* consumed) noexcept {
    uint32_t i = 0;
    bool negative = false;
    if (text.Length() > 0 && text[0] == u'-') {
        negative = true;
        i = 1;
    }
    uint64_t value = 0;
    uint32_t digitsStart = i;
    for (; i < text.Length(); ++i) {
        char16_t c = text[i];
        int digit = c >= u'0' && c <= u'9'   ? c - u'0'
                    : c >= u'A' && c <= u'Z' ? c - u'A' + 10
                    : c >= u'a' && c <= u'z' ? c - u'a' + 10
                                             : 99;
        if (digit >= base) break;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    }
    if (i == digitsStart) {
        if (consumed) *consumed = 0;
        return 0;
    }
    if (consumed) *consumed = i;
    return negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
}

double ToDouble(const YString& text) noexcept {
    double value = 0.0;
    TryToDouble(text, value);
    return value;
}

bool TryToDouble(const YString& text, double& result) noexcept {
    // Locale-independent on purpose: a host may have switched the C locale to one
    // with a decimal comma, and stored documents always use the point.
    std::string bytes = text.ToLatin1();
    const char* begin = bytes.c_str();
    const char* end = begin + bytes.size();
    while (begin < end && (*begin == ' ' || (*begin >= '\t' && *begin <= '\r'))) ++begin;
    bool negative = false;
    if (begin < end && (*begin == '+' || *begin == '-')) {
        negative = *begin == '-';
        ++begin;
        if (begin < end && (*begin == '+' || *begin == '-')) return false;
    }
    double value = 0.0;
    // As the C runtime reads it: "0x" with hexadecimal digits (and a "p" exponent).
    // A "0x" without them is the number 0 followed by other text.
    const bool hexadecimal = end - begin > 2 && begin[0] == '0' && (begin[1] == 'x' || begin[1] == 'X');
    std::from_chars_result read{begin, std::errc::invalid_argument};
    if (hexadecimal) read = std::from_chars(begin + 2, end, value, std::chars_format::hex);
    const bool readHexadecimal = read.ec != std::errc::invalid_argument;
    if (!readHexadecimal) read = std::from_chars(begin, end, value);
    auto [last, error] = read;
    if (last == begin) return false;
    if (error == std::errc::result_out_of_range) {
        // from_chars leaves the value alone here; answer as strtod does.
        std::string_view digits(begin, static_cast<std::size_t>(last - begin));
        std::size_t exponent = digits.find_first_of(readHexadecimal ? "pP" : "eE");
        bool tiny = exponent != std::string_view::npos && exponent + 1 < digits.size() && digits[exponent + 1] == '-';
        value = tiny ? 0.0 : HUGE_VAL;
    }
    result = negative ? -value : value;
    return true;
}

int HexDigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    throw YException(TranslateText("Invalid character to be converted to a number."));
}
