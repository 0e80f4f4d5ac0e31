// Micro-benchmarks of the engine's per-line work: quotation detection and
// whole conversions of a small source.
#include "Converter.h"
#include "Project.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string SampleLine = "123456,Mary O'Brien,73491.25,gold,qkz bvnw rta loe pwmx zzui dfg";

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

// Converts a source of 10,000 sample lines into the null device, so that
// only the reading, splitting and formatting is measured.
void Convert(benchmark::State& state)
{
    const std::filesystem::path source = std::filesystem::temp_directory_path() / "tabulon-microbench.csv";
    {
        std::ofstream out(source, std::ios::binary);
        out << "id,name,amount,word,note\n";
        for (int i = 0; i < 10000; ++i)
            out << SampleLine << '\n';
    }
    CProject project;
    project.FileName = source.string();
    project.TargetName = "/dev/null";
    project.TableName = "people";
    project.Separator = ",";
    project.Columns = {"id", "name", "amount", "word", "note"};
    project.Quotes = {"", "'", "", "'", "'"};
    CConverter converter;
    converter.Project = &project;
    for (auto _ : state) {
        if (converter.Run() != CConverter::OpenResult::Done) {
            state.SkipWithError("cannot open the source or the null device");
            break;
        }
    }
    std::filesystem::remove(source);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 10000);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 10000 *
                            static_cast<std::int64_t>(SampleLine.size() + 1));
}
BENCHMARK(Convert);

} // namespace

BENCHMARK_MAIN();
