#include "scenario/ScenarioScript.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

}  // namespace

std::vector<std::string> splitScenarioLine(const std::string& line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        if (isBlank(line[i])) {
            ++i;
            continue;
        }
        if (line[i] == '#')
            break;
        std::string word;
        char quote = line[i];
        if (quote == '"' || quote == '\'') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char c = line[i++];
                if (c == quote) {
                    closed = true;
                    break;
                }
                if (quote == '"' && c == '\\' && i < line.size()) {
                    // \n, \t, \" and \\ stand for a line feed, a tab, a quote and a backslash.
                    constexpr std::string_view kEscapes = "nt\"\\", kMeanings = "\n\t\"\\";
                    char escaped = line[i++];
                    auto at = kEscapes.find(escaped);
                    if (at == std::string_view::npos)
                        throw ScenarioError(std::string("unknown escape \\") + escaped);
                    word += kMeanings[at];
                    continue;
                }
                word += c;
            }
            if (!closed)
                throw ScenarioError(std::string("unterminated ") + quote + " quote");
            if (i < line.size() && !isBlank(line[i]) && line[i] != '#')
                throw ScenarioError("text right after a closing quote");
        } else {
            while (i < line.size() && !isBlank(line[i]))
                word += line[i++];
        }
        words.push_back(std::move(word));
    }
    return words;
}

std::vector<ScenarioStep> parseScenario(std::istream& script) {
    std::vector<ScenarioStep> steps;
    std::string line;
    std::size_t number = 0;
    while (std::getline(script, line)) {
        ++number;
        std::vector<std::string> words;
        try {
            words = splitScenarioLine(line);
        } catch (const ScenarioError& error) {
            throw ScenarioError("line " + std::to_string(number) + ": " + error.what());
        }
        if (words.empty())
            continue;
        std::string text = line;
        while (!text.empty() && isBlank(text.back()))
            text.pop_back();
        std::size_t start = text.find_first_not_of(" \t");
        steps.push_back({number, text.substr(start), std::move(words)});
    }
    return steps;
}

void failStep(const std::string& message) {
    throw ScenarioError(message);
}

double wordAsNumber(const std::string& word, const std::string& what) {
    char* end = nullptr;
    double value = std::strtod(word.c_str(), &end);
    if (word.empty() || *end != '\0' || !std::isfinite(value))
        failStep(what + " must be a number, not '" + word + "'");
    return value;
}

long long wordAsInteger(const std::string& word, const std::string& what) {
    char* end = nullptr;
    errno = 0;
    long long value = std::strtoll(word.c_str(), &end, 10);
    if (word.empty() || *end != '\0' || errno == ERANGE)
        failStep(what + " must be a whole number, not '" + word + "'");
    return value;
}
