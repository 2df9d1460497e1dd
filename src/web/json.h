// SPDX-License-Identifier: Apache-2.0
#pragma once
// A small JSON writer for what the face hands the page. Texts are UTF-8 and pass through;
// bytes that came from a reader or a file travel as Bytes: every byte outside printable ASCII
// becomes \u00XX, so the page gets one character per byte and never invalid text.
#include <string>

class Json {
public:
    Json& BeginObject();
    Json& EndObject();
    Json& BeginArray();
    Json& EndArray();
    Json& Key(const char* name);
    Json& Text(const std::string& utf8);
    Json& Bytes(const std::string& bytes);
    Json& Number(long long value);
    Json& Bool(bool value);
    Json& Null();

    // name: value pairs inside an object.
    Json& Field(const char* name, const std::string& utf8) { return Key(name).Text(utf8); }
    Json& Field(const char* name, const char* utf8) { return Key(name).Text(utf8 ? utf8 : ""); }
    Json& BytesField(const char* name, const std::string& bytes) { return Key(name).Bytes(bytes); }
    Json& Field(const char* name, int value) { return Key(name).Number(value); }
    Json& Field(const char* name, bool value) { return Key(name).Bool(value); }

    const std::string& str() const { return out_; }

private:
    void Separate();
    void Quoted(const std::string& text, bool bytes);
    std::string out_;
    bool needComma_ = false;
};
