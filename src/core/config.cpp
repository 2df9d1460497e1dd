// SPDX-License-Identifier: Apache-2.0
#include "core/config.h"

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// The lines as the program handles them: LF is the line end; on disk every LF is CR LF.
constexpr const char* kLanguageRussian = "Language = RU;\n";
constexpr const char* kLanguageEnglish = "Language = EN;\n";
constexpr const char* kFamilyKruKrm = "TabCtrl = KRU_KRM;\n";
constexpr const char* kFamilyUsb = "TabCtrl = USB_USB;\n";

// The line reader returns at most this many characters per call (an 80-byte buffer
// with its terminating NUL), so a longer line arrives in several pieces.
constexpr int kLineBufferSize = 80;
constexpr int kFamilyPiece = 1;  // pieces 0 and 1 carry the two values, the rest is ignored

// Room for both lines on disk, with their CR LF ends.
constexpr int kContentBufferSize = 64;
// Chunk used to move the text after the two lines within the file.
constexpr int kMoveChunkSize = 4096;

// Reads one character with the line-end translation: a CR right before an LF is dropped.
int GetTranslated(FILE* file) {
    int c = std::fgetc(file);
    if (c != '\r') return c;
    int next = std::fgetc(file);
    if (next == '\n') return '\n';
    if (next != EOF) std::ungetc(next, file);
    return '\r';
}

// Reads up to kLineBufferSize - 1 characters, stopping after an LF or at the end of the
// file. Returns the number of characters read; 0 means the end of the file.
int ReadPiece(FILE* file, char* piece) {
    int length = 0;
    while (length < kLineBufferSize - 1) {
        int c = GetTranslated(file);
        if (c == EOF) break;
        piece[length++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    piece[length] = '\0';
    return length;
}

// Exact comparison: same characters, nothing before or after.
bool PieceIs(const char* piece, int length, const char* line) {
    return length == static_cast<int>(std::strlen(line)) && std::memcmp(piece, line, length) == 0;
}

int LanguageFromPiece(const char* piece, int length) {
    if (PieceIs(piece, length, kLanguageRussian)) return kRussian;
    if (PieceIs(piece, length, kLanguageEnglish)) return kEnglish;
    return kRussian;
}

int FamilyFromPiece(const char* piece, int length) {
    if (PieceIs(piece, length, kFamilyKruKrm)) return kKruKrm;
    if (PieceIs(piece, length, kFamilyUsb)) return kUsb;
    return kKruKrm;
}

// The two lines for the given values in their on-disk form (every LF as CR LF).
// Returns the number of bytes.
int BuildContent(int language, int family, char* content) {
    const char* lines[] = {language == kEnglish ? kLanguageEnglish : kLanguageRussian,
                           family == kUsb ? kFamilyUsb : kFamilyKruKrm};
    int size = 0;
    for (const char* line : lines) {
        for (const char* p = line; *p; ++p) {
            if (*p == '\n') content[size++] = '\r';
            content[size++] = *p;
        }
    }
    return size;
}

// The offset of the byte after the file's second LF, or its size when it has fewer than
// two LFs (then nothing follows the two lines). -1 on a read error.
long EndOfSecondLine(FILE* file) {
    if (std::fseek(file, 0, SEEK_SET) != 0) return -1;
    int lineEnds = 0;
    long offset = 0;
    int c;
    while (lineEnds < 2 && (c = std::fgetc(file)) != EOF) {
        ++offset;
        if (c == '\n') ++lineEnds;
    }
    if (std::ferror(file)) return -1;
    return offset;
}

long FileSize(FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    return std::ftell(file);
}

bool CopyChunk(FILE* file, long from, long to, long length) {
    char chunk[kMoveChunkSize];
    if (std::fseek(file, from, SEEK_SET) != 0) return false;
    if (std::fread(chunk, 1, length, file) != static_cast<size_t>(length)) return false;
    if (std::fseek(file, to, SEEK_SET) != 0) return false;
    return std::fwrite(chunk, 1, length, file) == static_cast<size_t>(length);
}

// Moves length bytes within the file from offset from to offset to, in the direction
// that never overwrites bytes not yet moved.
bool MoveRange(FILE* file, long from, long to, long length) {
    if (from == to || length == 0) return true;
    if (to < from) {
        for (long done = 0; done < length; done += kMoveChunkSize) {
            long n = length - done < kMoveChunkSize ? length - done : kMoveChunkSize;
            if (!CopyChunk(file, from + done, to + done, n)) return false;
        }
    } else {
        for (long left = length; left > 0; left -= kMoveChunkSize) {
            long n = left < kMoveChunkSize ? left : kMoveChunkSize;
            if (!CopyChunk(file, from + left - n, to + left - n, n)) return false;
        }
    }
    return true;
}

// Makes the file size bytes long when it is shorter, before anything in it is changed, so
// that a full disk or a size limit stops a save while the file is still as it was.
bool GrowFile(FILE* file, long oldSize, long size) {
    static const char kFiller[kContentBufferSize] = {};
    if (size <= oldSize) return true;
    // The file only ever grows by the two lines' surplus, which fits the filler.
    const long missing = size - oldSize;
    if (missing > kContentBufferSize) return false;
    return std::fseek(file, oldSize, SEEK_SET) == 0 &&
           std::fwrite(kFiller, 1, missing, file) == static_cast<size_t>(missing) && std::fflush(file) == 0;
}

bool TruncateFile(FILE* file, long size) {
    if (std::fflush(file) != 0) return false;
#ifdef _WIN32
    return _chsize_s(_fileno(file), size) == 0;
#else
    return ftruncate(fileno(file), size) == 0;
#endif
}

}  // namespace

AppConfig LoadConfigFile(const char* path) {
    AppConfig config = {kRussian, kKruKrm};
    // Binary mode: the line-end translation is done here, the same on every system.
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        // Missing or unreadable: start afresh with the defaults. When the file cannot be
        // created either (a read-only folder) nothing is written and start-up goes on.
        FILE* created = std::fopen(path, "wb");
        if (created) {
            char content[kContentBufferSize];
            int size = BuildContent(kRussian, kKruKrm, content);
            std::fwrite(content, 1, size, created);
            std::fclose(created);
        }
        return config;
    }
    char piece[kLineBufferSize];
    for (int index = 0; index <= kFamilyPiece; ++index) {
        int length = ReadPiece(file, piece);
        if (length == 0) break;
        if (index == 0) config.language = LanguageFromPiece(piece, length);
        else config.family = FamilyFromPiece(piece, length);
    }
    std::fclose(file);
    return config;
}

bool WriteConfigFile(const char* path, const AppConfig& config) {
    // Update in place: the file is never created here, and whatever the user keeps after
    // the two lines stays, moved to just after the new ones.
    FILE* file = std::fopen(path, "r+b");
    if (!file) return false;
    // Unbuffered: a write that fails says so at once, and no buffered bytes are left to be
    // written at some other place when the file is closed.
    std::setvbuf(file, nullptr, _IONBF, 0);
    char content[kContentBufferSize];
    const long contentSize = BuildContent(config.language, config.family, content);
    const long tailStart = EndOfSecondLine(file);
    const long oldSize = FileSize(file);
    if (tailStart < 0 || oldSize < tailStart) {
        std::fclose(file);  // cannot be read: keep it rather than damage it
        return false;
    }
    const long tailLength = oldSize - tailStart;
    const long newSize = contentSize + tailLength;
    bool saved = GrowFile(file, oldSize, newSize);
    if (!saved) {
        TruncateFile(file, oldSize);  // whatever part of the growth was written goes again
    } else {
        // The two lines are written only once the text after them has been moved.
        saved = MoveRange(file, tailStart, contentSize, tailLength) && std::fseek(file, 0, SEEK_SET) == 0 &&
                std::fwrite(content, 1, contentSize, file) == static_cast<size_t>(contentSize) &&
                (newSize >= oldSize || TruncateFile(file, newSize));
    }
    if (std::fclose(file) != 0) saved = false;
    return saved;
}
