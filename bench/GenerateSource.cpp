// tabulon-bench-source: writes the benchmark's sources and their projects.
#include "SourceGenerator.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char Usage[] = "usage: tabulon-bench-source csv|quoted|fixed LINES FILE\n"
                     "       tabulon-bench-source long LONG-BYTES LINES FILE\n"
                     "       tabulon-bench-source project csv|fixed SOURCE TARGET FILE\n";

bool ToCount(const std::string& text, std::uint64_t& count)
{
    char* end = nullptr;
    count = std::strtoull(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0';
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    const std::string kind = args.empty() ? "" : args[0];
    const bool lineKind = kind == "csv" || kind == "quoted" || kind == "fixed";
    const std::size_t expected = lineKind ? 3 : kind == "long" ? 4 : 5;
    std::uint64_t lines = 0;
    std::uint64_t longBytes = 0;
    const bool valid =
        args.size() == expected && (lineKind         ? ToCount(args[1], lines)
                                    : kind == "long" ? ToCount(args[1], longBytes) && ToCount(args[2], lines)
                                    : kind == "project" ? args[1] == "csv" || args[1] == "fixed"
                                                        : false);
    if (!valid) {
        std::fputs(Usage, stderr);
        return 64;
    }

    std::vector<char> buffer(std::size_t{1} << 20);
    std::ofstream out;
    out.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    out.open(args.back(), std::ios::binary | std::ios::trunc);
    if (!out) {
        std::fprintf(stderr, "tabulon-bench-source: %s: cannot be created\n", args.back().c_str());
        return 1;
    }
    if (kind == "csv")
        SourceGenerator::WriteSeparated(out, lines);
    else if (kind == "quoted")
        SourceGenerator::WriteQuoted(out, lines);
    else if (kind == "fixed")
        SourceGenerator::WriteFixedWidth(out, lines);
    else if (kind == "long")
        SourceGenerator::WriteLongLine(out, longBytes, lines);
    else
        out << SourceGenerator::ProjectText(args[2], args[3], args[1] == "fixed");
    out.close();
    if (!out) {
        std::fprintf(stderr, "tabulon-bench-source: %s: write failed\n", args.back().c_str());
        return 1;
    }
    return 0;
}
