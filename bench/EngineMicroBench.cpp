// Micro-benchmarks of the engine's per-line work: splitting, quotation
// detection and writing one row.
#include "Converter.h"
#include "Project.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string SampleLine = "123456,Mary O'Brien,73491.25,gold,qkz bvnw rta loe pwmx zzui dfg";

void SplitLine(benchmark::State& state)
{
    CProject project;
    project.Separator = ",";
    CConverter converter;
    converter.Project = &project;
    std::vector<std::string> fields;
    for (auto _ : state) {
        converter.SplitLine(SampleLine, fields);
        benchmark::DoNotOptimize(fields.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(SampleLine.size()));
}
BENCHMARK(SplitLine);

void DetectQuote(benchmark::State& state)
{
    const std::vector<std::string> samples = {"123456", "73491.25", "Mary O'Brien", "-12.5", "gold"};
    for (auto _ : state) {
        for (const std::string& sample : samples)
            benchmark::DoNotOptimize(CConverter::DetectQuote(sample));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(samples.size()));
}
BENCHMARK(DetectQuote);

// Writes rows into the null device, so that only the formatting is measured.
void WriteRow(benchmark::State& state)
{
    const std::filesystem::path source = std::filesystem::temp_directory_path() / "tabulon-microbench.csv";
    std::ofstream(source) << "id,name,amount,word,note\n";
    CProject project;
    project.FileName = source.string();
    project.TargetName = "/dev/null";
    project.TableName = "people";
    project.Separator = ",";
    project.Columns = {"id", "name", "amount", "word", "note"};
    project.Quotes = {"", "'", "", "'", "'"};
    CConverter converter;
    converter.Project = &project;
    if (converter.Open(true) != 0) {
        state.SkipWithError("cannot open the null device");
        return;
    }
    std::vector<std::string> fields;
    converter.SplitLine(SampleLine, fields);
    for (auto _ : state)
        converter.WriteRow(fields);
    converter.Close(true);
    std::filesystem::remove(source);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(WriteRow);

} // namespace

BENCHMARK_MAIN();
