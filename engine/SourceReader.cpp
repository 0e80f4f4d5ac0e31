#include "SourceReader.h"

#include "FileError.h"

#include <new>

bool SourceReader::Open(const std::string& path)
{
    if (File.IsOpen() && !Reopenable && path == FilePath) {
        NextKept = 0;
        LinesRead = 0;
        Discovering = false;
        return true;
    }
    Close();
    if (!File.Open(path))
        return false;
    FilePath = path;
    Reopenable = File.IsRegular() && !IsStandardStream(path);
    return true;
}

bool SourceReader::OpenForDiscovery(const std::string& path)
{
    if (!Open(path))
        return false;
    Discovering = true;
    return true;
}

void SourceReader::EndDiscovery()
{
    Discovering = false;
    if (Reopenable)
        Close();
}

void SourceReader::Close()
{
    File.Close();
    KeptLines.clear();
    KeptLines.shrink_to_fit();
    NextKept = 0;
    LinesRead = 0;
    Discovering = false;
    Reopenable = true;
}

bool SourceReader::ReadLine(std::string_view& line)
{
    if (NextKept < KeptLines.size()) {
        line = KeptLines[NextKept++];
        ++LinesRead;
        return true;
    }
    try {
        if (!File.ReadLine(line))
            return false;
    } catch (const std::bad_alloc&) {
        throw FileError(FilePath,
                        "line " + std::to_string(LinesRead + 1) + " is too long for the memory available");
    }
    ++LinesRead;
    if (Discovering && !Reopenable) {
        KeptLines.emplace_back(line);
        NextKept = KeptLines.size();
    }
    return true;
}
