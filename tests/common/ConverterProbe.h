#pragma once

#include "Converter.h"

#include <string>
#include <string_view>
#include <vector>

// The converter's parts below a run, for holding the run against them: the
// general writer (every record cut by ReadValues and written by WriteRow, or
// with the value rules read and written by WriteRecordRow), the
// line reader and the statement text before the values.
class ConverterProbe {
  public:
    explicit ConverterProbe(CConverter& converter) : Converter(converter) {}

    void WriteRow(const std::vector<std::string>& fields) { Converter.WriteRow(fields); }
    void WriteCommit() { Converter.WriteCommit(); }
    // The rest of the source, record by record, each value read by the value rules.
    void WriteReadValues()
    {
        Converter.ReadsValues = true;
        std::string_view record;
        while (Converter.ReadRecordView(record))
            Converter.WriteRecordRow(record, nullptr);
    }
    bool ReadLine(std::string& line)
    {
        std::string_view view;
        const bool read = Converter.ReadLineView(view);
        line.assign(view.data(), view.size());
        return read;
    }
    void SplitLine(std::string_view line, std::vector<std::string>& fields)
    {
        Converter.SplitLine(line, fields);
    }
    const std::string& InsertPrefix() const { return Converter.InsertPrefix; }

  private:
    CConverter& Converter;
};
