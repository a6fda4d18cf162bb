#pragma once

// Reads the JSON that hosts read from plug-in bundles (moduleinfo.json): objects,
// arrays, strings, numbers, true/false/null, and the trailing commas JSON5 allows.
// Enough to check what the build writes; throws std::runtime_error on anything else.

#include <cstddef>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace TestJson {

struct Value {
    enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
    bool boolean = false;
    double number = 0.0;
    std::string text;
    std::vector<Value> items;
    std::map<std::string, Value> members;

    // A member of an object; throws when missing.
    const Value& operator[](const std::string& name) const {
        const auto found = members.find(name);
        if (kind != Kind::Object || found == members.end()) throw std::runtime_error("no member " + name);
        return found->second;
    }
    bool Has(const std::string& name) const { return members.count(name) != 0; }
};

class Reader {
public:
    explicit Reader(const std::string& text) : text_(text) {}

    Value Document() {
        Value value = Read();
        Skip();
        if (at_ != text_.size()) Fail("text after the value");
        return value;
    }

private:
    [[noreturn]] void Fail(const char* what) const {
        throw std::runtime_error(std::string(what) + " at " + std::to_string(at_));
    }
    void Skip() {
        while (at_ < text_.size()) {
            if (text_[at_] == '/' && at_ + 1 < text_.size() && text_[at_ + 1] == '/') {
                while (at_ < text_.size() && text_[at_] != '\n') ++at_;
            } else if (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' || text_[at_] == '\t') {
                ++at_;
            } else {
                break;
            }
        }
    }
    bool Take(char c) {
        Skip();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    bool TakeWord(const char* word) {
        const std::string w(word);
        if (text_.compare(at_, w.size(), w) != 0) return false;
        at_ += w.size();
        return true;
    }
    std::string ReadString() {
        if (!Take('"')) Fail("a string expected");
        std::string out;
        while (at_ < text_.size() && text_[at_] != '"') {
            char c = text_[at_++];
            if (c == '\\') {
                if (at_ >= text_.size()) Fail("cut escape");
                c = text_[at_++];
                if (c == 'n') c = '\n';
                else if (c == 't') c = '\t';
                else if (c != '"' && c != '\\' && c != '/') Fail("unknown escape");
            }
            out += c;
        }
        if (!Take('"')) Fail("unterminated string");
        return out;
    }
    Value Read() {
        Skip();
        if (at_ >= text_.size()) Fail("a value expected");
        Value value;
        const char c = text_[at_];
        if (c == '{') {
            ++at_;
            value.kind = Value::Kind::Object;
            while (!Take('}')) {
                std::string name = ReadString();
                if (!Take(':')) Fail("':' expected");
                value.members[name] = Read();
                if (!Take(',') && !(Skip(), at_ < text_.size() && text_[at_] == '}')) Fail("',' or '}' expected");
            }
        } else if (c == '[') {
            ++at_;
            value.kind = Value::Kind::Array;
            while (!Take(']')) {
                value.items.push_back(Read());
                if (!Take(',') && !(Skip(), at_ < text_.size() && text_[at_] == ']')) Fail("',' or ']' expected");
            }
        } else if (c == '"') {
            value.kind = Value::Kind::String;
            value.text = ReadString();
        } else if (TakeWord("true") || TakeWord("false")) {
            value.kind = Value::Kind::Bool;
            value.boolean = text_[at_ - 1] == 'e' && text_[at_ - 2] == 'u';
        } else if (TakeWord("null")) {
            value.kind = Value::Kind::Null;
        } else {
            std::size_t used = 0;
            value.kind = Value::Kind::Number;
            try {
                value.number = std::stod(text_.substr(at_), &used);
            } catch (const std::exception&) {
                Fail("a value expected");
            }
            at_ += used;
        }
        return value;
    }

    const std::string& text_;
    std::size_t at_ = 0;
};

inline Value Parse(const std::string& text) { return Reader(text).Document(); }

}  // namespace TestJson
