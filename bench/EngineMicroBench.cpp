// Micro-benchmarks of the engine's per-line work: splitting, quotation
// detection and writing one row.
#include "Converter.h"
#include "Project.h"
#include "SourceDetection.h"

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

// Detection on a 1 MiB sample, as a new project's source gets it: quoted names with commas,
// decimals, dates and NULL markers.
void DetectSettings(benchmark::State& state)
{
    std::string sample = "id,name,amount,day,city,note\r\n";
    for (int i = 1; sample.size() < DetectionSampleSize; ++i)
        sample += std::to_string(i) + ",\"Name " + std::to_string(i) + ", Jr\"," + std::to_string(i % 9973) +
                  "." + std::to_string(i % 89 + 10) + ",2024-0" + std::to_string(i % 9 + 1) + "-1" +
                  std::to_string(i % 10) + ",City" + std::to_string(i % 50) +
                  (i % 17 == 0 ? ",NA" : ",text here") + "\r\n";
    sample.resize(DetectionSampleSize);
    for (auto _ : state)
        benchmark::DoNotOptimize(DetectSample(sample, false).Keys.size());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(sample.size()));
}
BENCHMARK(DetectSettings)->Unit(benchmark::kMillisecond);

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
