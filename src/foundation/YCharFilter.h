#pragma once

// Which characters an edit field may take.
class YCharFilter {
public:
    virtual ~YCharFilter() = default;
    virtual bool Accept(char16_t c) const = 0;

    class AllFilter;
    class LettersFilter;
    class AlphaFilter;
    class AlphaStrictFilter;
    class IntegerFilter;
    class IntegerHexaFilter;
    class FloatFilter;

protected:
    static bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
    static bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
};

class YCharFilter::AllFilter final : public YCharFilter {
public:
    bool Accept(char16_t) const override { return true; }
};

class YCharFilter::LettersFilter final : public YCharFilter {
public:
    bool Accept(char16_t c) const override { return IsLetter(c); }
};

class YCharFilter::AlphaFilter final : public YCharFilter {
public:
    bool Accept(char16_t c) const override { return IsLetter(c) || IsDigit(c) || c == u'-' || c == u'.' || c == u' '; }
};

class YCharFilter::AlphaStrictFilter final : public YCharFilter {
public:
    bool Accept(char16_t c) const override { return IsLetter(c) || IsDigit(c); }
};

class YCharFilter::IntegerFilter final : public YCharFilter {
public:
    bool Accept(char16_t c) const override { return IsDigit(c) || c == u'-'; }
};

class YCharFilter::IntegerHexaFilter final : public YCharFilter {
public:
    bool Accept(char16_t c) const override { return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }
};

class YCharFilter::FloatFilter final : public YCharFilter {
public:
    bool Accept(char16_t c) const override { return IsDigit(c) || c == u'-' || c == u'.'; }
};
