// Micro-benchmarks of the engine's per-line work: quotation detection and
// whole conversions of a small source.
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
