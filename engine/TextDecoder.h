#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The encodings a source file may be in. Bytes takes the file's bytes as they are.
enum class SourceEncoding { Bytes, Utf8, Windows1252, Latin1, Utf16LE, Utf16BE };

// The project file's names: "" (Bytes), "UTF-8", "Windows-1252", "ISO-8859-1", "UTF-16LE",
// "UTF-16BE", compared without regard to letter case. False (encoding unchanged) for any other name.
bool ParseEncoding(std::string_view name, SourceEncoding& encoding);
// The project file's name of an encoding ("" for Bytes).
const char* EncodingName(SourceEncoding encoding);

// A byte order mark at the start of a file: its length, 0 when there is none (encoding then
// unchanged), and the encoding it names (EF BB BF: Utf8; FF FE: Utf16LE; FE FF: Utf16BE).
std::size_t ByteOrderMark(std::string_view start, SourceEncoding& encoding);

// What DetectEncoding found: how much it read and, for Windows-1252, where UTF-8 failed.
struct EncodingEvidence {
    bool ByteOrderMark = false;    // the encoding came from a byte order mark
    std::uint64_t BytesRead = 0;   // bytes checked
    bool WholeFile = false;        // they are the whole file
    std::uint64_t InvalidAt = 0;   // Windows1252: offset of the first byte that is not UTF-8
    unsigned char InvalidByte = 0; // and that byte
};

// The encoding a new project should take for this file: its byte order mark's; else Utf8 when
// its text is valid UTF-8 (the whole of a regular file, the first 64 KiB of anything else, a
// sequence cut by that boundary counting as valid); else Windows1252. Bytes when the file cannot
// be read, with errno telling why, and when `stop` turns true before the check is done.
SourceEncoding DetectEncoding(const std::string& path, EncodingEvidence* evidence = nullptr,
                              const std::atomic<bool>* stop = nullptr);

// Decodes a stream that arrives in chunks into UTF-8 (Decode), or checks that UTF-8 is valid
// where it lies (Check). One decoder serves one stream, through one of the two calls.
class TextDecoder {
  public:
    explicit TextDecoder(SourceEncoding encoding) : Encoding(encoding) {}

    SourceEncoding Source() const { return Encoding; }
    // True when the text must go through Decode (Windows1252, Latin1, UTF-16); false for Bytes
    // and Utf8, whose text is used where it lies, Check telling how much of it is valid.
    bool Transforms() const;
    // The most bytes Decode writes for `size` input bytes, the bytes it carries included: three
    // per byte (Windows-1252's 0x80 is U+20AC), and one more for a four-byte character whose
    // last byte comes alone after three carried ones.
    static std::size_t OutputLimit(std::size_t size) { return 3 * size + 1; }

    struct Result {
        std::size_t Written = 0; // bytes written to out (Decode) or valid bytes of the chunk (Check)
        bool Invalid = false;    // stopped at a byte sequence that is invalid in the encoding
    };

    // Decodes the next chunk into out, which has room for OutputLimit(size) bytes. An incomplete
    // sequence at the chunk's end (part of a UTF-8 sequence, half a UTF-16 unit, a high surrogate
    // whose partner has not come) is kept and finished by the next call; with `last` it is
    // invalid. Stops at the first invalid sequence, having written everything before it; every
    // later call then returns Invalid with nothing written. Works for every encoding: Bytes
    // copies, Utf8 copies what is valid.
    Result Decode(const char* in, std::size_t size, bool last, char* out);

    // For Utf8 (and Bytes, where everything is valid): how many bytes at the start of the chunk
    // are valid and complete. An incomplete sequence at the end (at most 3 bytes) is not counted
    // and not kept: the caller keeps in[Written, size) and passes those bytes again, followed by
    // the next chunk's, in the next call. With `last` an incomplete sequence is invalid. After an
    // invalid sequence every later call returns Invalid with nothing valid. Throws
    // std::logic_error for an encoding that Transforms().
    Result Check(const char* in, std::size_t size, bool last);

    // Bytes of the stream accepted so far, the carried ones not included; once a call has
    // returned Invalid, the offset of the invalid sequence in the stream (for error messages).
    std::uint64_t Position() const { return Accepted; }

  private:
    // The bytes of a sequence that the last chunk ended in the middle of.
    static constexpr std::size_t MaxCarried = 3;

    SourceEncoding Encoding;
    bool Failed = false;
    std::uint64_t Accepted = 0;
    unsigned char Carried[MaxCarried] = {};
    std::size_t CarriedSize = 0;
};
