// SPDX-License-Identifier: Apache-2.0
// The two About dialog resources, read byte by byte from the program's own resources.
#include <doctest/doctest.h>

#include <windows.h>

#include <cstring>
#include <string>

namespace {

// A little reader over a DLGTEMPLATE and its DLGITEMTEMPLATEs.
struct Reader {
    const unsigned char* base;
    size_t offset;
    size_t size;

    bool Fits(size_t n) const { return offset + n <= size; }
    unsigned Word() {
        REQUIRE(Fits(2));
        unsigned v = base[offset] | (base[offset + 1] << 8);
        offset += 2;
        return v;
    }
    unsigned long Dword() {
        unsigned long low = Word();
        return low | (static_cast<unsigned long>(Word()) << 16);
    }
    int Short() { return static_cast<short>(Word()); }
    // A string, or an ordinal (0xFFFF then the number) returned as "#n".
    std::wstring SzOrOrd() {
        unsigned first = Word();
        if (first == 0xFFFF) return L"#" + std::to_wstring(Word());
        std::wstring s;
        for (unsigned c = first; c != 0; c = Word()) s.push_back(static_cast<wchar_t>(c));
        return s;
    }
    void AlignDword() { offset = (offset + 3) & ~static_cast<size_t>(3); }
};

struct ItemTemplate {
    unsigned long style, exStyle;
    int x, y, cx, cy;
    int id;
    std::wstring cls, text;
    unsigned extra;
};

struct DialogTemplate {
    unsigned long style, exStyle;
    int count, x, y, cx, cy;
    std::wstring menu, cls, caption, font;
    unsigned pointSize;
    ItemTemplate items[8];
};

DialogTemplate Load(int resource) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resource), MAKEINTRESOURCEA(5));  // RT_DIALOG
    REQUIRE(found);
    HGLOBAL loaded = LoadResource(module, found);
    Reader r = {static_cast<const unsigned char*>(LockResource(loaded)), 0, SizeofResource(module, found)};
    DialogTemplate d = {};
    d.style = r.Dword();
    d.exStyle = r.Dword();
    d.count = static_cast<int>(r.Word());
    d.x = r.Short();
    d.y = r.Short();
    d.cx = r.Short();
    d.cy = r.Short();
    d.menu = r.SzOrOrd();
    d.cls = r.SzOrOrd();
    d.caption = r.SzOrOrd();
    if (d.style & DS_SETFONT) {
        d.pointSize = r.Word();
        d.font = r.SzOrOrd();
    }
    REQUIRE(d.count <= 8);
    for (int i = 0; i < d.count; ++i) {
        r.AlignDword();
        ItemTemplate& item = d.items[i];
        item.style = r.Dword();
        item.exStyle = r.Dword();
        item.x = r.Short();
        item.y = r.Short();
        item.cx = r.Short();
        item.cy = r.Short();
        item.id = r.Short();
        item.cls = r.SzOrOrd();
        item.text = r.SzOrOrd();
        item.extra = r.Word();
        r.offset += item.extra;
    }
    CHECK(r.offset <= r.size);
    return d;
}

constexpr unsigned long kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

const wchar_t* kEnglishText =
    L"Reader configurator:\n\rVireoTool-4.\n\n\rVersion:   2.00 (x64)\n\n\r2026, VireoTool-4 project\n\r"
    L"Tel./fax: +0 (000) 000-00-00\n\n\rwww.vireotool.example\n\rinfo@vireotool.example";
const wchar_t* kRussianText =
    L"Конфигуратор считывателя:\n\rVireoTool-4.\n\n\rВерсия:   2.00 (x64)\n\n\r2026, проект VireoTool-4\n\r"
    L"Тел./факс: +0 (000) 000-00-00\n\n\rwww.vireotool.example\n\rinfo@vireotool.example";

void CheckLayout(const DialogTemplate& d) {
    CHECK(d.style == kDialogStyle);
    CHECK(d.exStyle == 0ul);
    CHECK(d.x == 40);
    CHECK(d.y == 60);
    CHECK(d.cx == 170);
    CHECK(d.cy == 145);
    CHECK(d.menu.empty());
    CHECK(d.cls.empty());
    CHECK(d.pointSize == 8u);
    CHECK(d.font == L"Arial");
    REQUIRE(d.count == 4);

    const ItemTemplate& box = d.items[0];
    CHECK(box.cls == L"#128");  // button
    CHECK(box.id == -1);
    CHECK(box.text.empty());
    CHECK(box.style == static_cast<unsigned long>(WS_CHILD | WS_VISIBLE | BS_GROUPBOX));
    CHECK((box.x == 10 && box.y == 5 && box.cx == 150 && box.cy == 115));

    const ItemTemplate& icon = d.items[1];
    CHECK(icon.cls == L"#130");  // static
    CHECK(icon.id == -1);
    CHECK(icon.text == L"#2");   // the application icon
    CHECK(icon.style == static_cast<unsigned long>(WS_CHILD | WS_VISIBLE | SS_ICON));
    CHECK((icon.x == 20 && icon.y == 15 && icon.cx == 0 && icon.cy == 0));

    const ItemTemplate& text = d.items[2];
    CHECK(text.cls == L"#130");
    CHECK(text.id == -1);
    CHECK(text.style == static_cast<unsigned long>(WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT));
    CHECK((text.x == 50 && text.y == 15 && text.cx == 100 && text.cy == 100));

    const ItemTemplate& ok = d.items[3];
    CHECK(ok.cls == L"#128");
    CHECK(ok.id == IDOK);
    CHECK(ok.text == L"OK");
    CHECK(ok.style == static_cast<unsigned long>(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON));
    CHECK((ok.x == 60 && ok.y == 125 && ok.cx == 50 && ok.cy == 15));
    for (int i = 0; i < 4; ++i) CHECK(d.items[i].exStyle == 0ul);
}

}  // namespace

TEST_CASE("About resource 2 is the English dialog") {
    const DialogTemplate d = Load(2);
    CheckLayout(d);
    CHECK(d.caption == L"About...");
    CHECK(d.items[2].text == kEnglishText);
}

TEST_CASE("About resource 1 is the Russian dialog, with real Cyrillic letters") {
    const DialogTemplate d = Load(1);
    CheckLayout(d);
    CHECK(d.caption == L"О программе...");
    CHECK(d.caption[0] == 0x041E);  // CYRILLIC CAPITAL LETTER O, not a code page accident
    CHECK(d.items[2].text == kRussianText);
    // Seen through the 8-bit functions of a code page 1251 system the caption is these bytes.
    char narrow[32] = {};
    WideCharToMultiByte(1251, 0, d.caption.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
    CHECK(std::strcmp(narrow, "\xCE \xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xE5...") == 0);
}

TEST_CASE("the information text breaks lines with LF CR and names no one but this project") {
    for (int resource : {1, 2}) {
        const std::wstring text = Load(resource).items[2].text;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == L'\n') {
                // "\n\r" ends a line, "\n\n\r" gives an empty one.
                const bool lineEnd = i + 1 < text.size() && text[i + 1] == L'\r';
                const bool emptyLine = i + 2 < text.size() && text[i + 1] == L'\n' && text[i + 2] == L'\r';
                CHECK((lineEnd || emptyLine));
            }
            if (text[i] == L'\r') CHECK((i > 0 && text[i - 1] == L'\n'));
        }
        const bool namesProject = text.find(L"VireoTool-4 project") != std::wstring::npos ||
                                  text.find(L"проект VireoTool-4") != std::wstring::npos;
        CHECK(namesProject);
    }
}
