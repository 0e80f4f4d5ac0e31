#include "EngineWork.h"

#include "FailureText.h"
#include "FileError.h"

#include <exception>
#include <new>
#include <utility>

namespace {

std::function<void()>& EngineFault()
{
    static std::function<void()> fault;
    return fault;
}

} // namespace

std::string RunEngineWork(const EngineWorkTexts& texts, const std::function<void()>& work)
{
    try {
        if (EngineFault())
            EngineFault()();
        work();
    } catch (const FileError& error) {
        return DescribeFileFailure(texts.FileFailure, error.FileName, error.Reason);
    } catch (const std::bad_alloc&) {
        return std::string("There is not enough memory to ") + texts.Purpose + ".";
    } catch (const std::exception& error) {
        const std::string what = error.what();
        return what.empty() ? std::string("An unexpected error stopped the work.") : what;
    }
    return {};
}

void SetEngineFaultForTesting(std::function<void()> fault)
{
    EngineFault() = std::move(fault);
}
