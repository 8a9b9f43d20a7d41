#pragma once
// Numbers, sources and descriptions of the model's errors, and the wrapper
// that turns any failure inside an operation into its numbered error.
#include "model/CorvaneError.h"

#include <exception>
#include <utility>

namespace corvane::modelerrors {

inline constexpr const char* kConfigFileSource = "Vuvovov.ConfigFile";
inline constexpr const char* kDirectiveSource = "Vuvovov Directive";
inline constexpr const char* kScopeSource = "Vuvovov ScopeDirective";

inline constexpr const char* kReadFile = "Error while reading configuration file contents";              // 1
inline constexpr const char* kDeleteDirective = "Error while deleting a directive from configuration file"; // 2
inline constexpr const char* kAddDirective = "Error while adding a new directive to the configuration file"; // 3
inline constexpr const char* kWriteFile = "Error while writing to the configuration file";                  // 4
inline constexpr const char* kSerialize = "Error while serializing configuration file object";              // 4
inline constexpr const char* kDeSerialize = "Error while DeSerializing configuration file object";          // 4
inline constexpr const char* kDeleteSub = "Error while deleting sub directives";                            // 5
inline constexpr const char* kConvertFile = "Error while converting file";                                  // 6
inline constexpr const char* kFindName = "Error while finding Directive Name";                             // 7
inline constexpr const char* kExtractParams = "Error while extracting parameters of directive";            // 8
inline constexpr const char* kFindType = "Error while finding the type of a directive";                    // 9
inline constexpr const char* kSetParam = "Error while setting parameter of a directive";                   // 10
inline constexpr const char* kAddParam = "Error while adding parameter to a directive";                    // 11
inline constexpr const char* kDeleteParam = "Error while deleting parameter of a directive";               // 12
inline constexpr const char* kExtractScopeParams = "Error while extracting parameters of directive scope"; // 13
inline constexpr const char* kScopeSetParam = "Error while setting parameter of a scope directive";        // 14
inline constexpr const char* kScopeAddParam = "Error while adding parameter to a scope directive";         // 15
inline constexpr const char* kScopeDeleteParam = "Error while deleting parameter of a scope directive";    // 16

[[noreturn]] inline void raise(int code, const char* source, const char* description)
{
    throw CorvaneError(kObjectErrorBase + code, source, description);
}

// Runs f; any exception leaving it becomes the numbered error.
template <typename F>
auto guarded(int code, const char* source, const char* description, F&& f) -> decltype(f())
{
    try {
        return std::forward<F>(f)();
    } catch (const std::exception&) {
        raise(code, source, description);
    }
}

} // namespace corvane::modelerrors
