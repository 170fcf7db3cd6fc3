#pragma once

#include <cstddef>
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

// A scenario that cannot go on: a malformed line, an unknown step, or an
// expectation that does not hold.
class ScenarioError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ScenarioStep {
    std::size_t line = 0;
    std::string text;                // the line as written, trimmed
    std::vector<std::string> words;  // the step's name, then its arguments
};

// Splits one line into words. Blanks separate words; "..." quotes a word with
// \" \\ \n and \t escapes; '...' quotes a word as it is; "#" outside quotes
// starts a comment. Throws ScenarioError for an unterminated quote.
std::vector<std::string> splitScenarioLine(const std::string& line);

// Every step of a script, in order; blank and comment lines are left out.
// Throws ScenarioError naming the line at fault.
std::vector<ScenarioStep> parseScenario(std::istream& script);

// Ends the step that runs with a failure.
[[noreturn]] void failStep(const std::string& message);
// A word of a step as a number, or as a whole number; fails naming `what` otherwise.
double wordAsNumber(const std::string& word, const std::string& what);
long long wordAsInteger(const std::string& word, const std::string& what);
