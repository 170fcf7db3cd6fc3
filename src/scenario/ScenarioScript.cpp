#include "scenario/ScenarioScript.h"

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
                    char escaped = line[i++];
                    switch (escaped) {
                        case 'n':
                            word += '\n';
                            break;
                        case 't':
                            word += '\t';
                            break;
                        case '"':
                        case '\\':
                            word += escaped;
                            break;
                        default:
                            throw ScenarioError(std::string("unknown escape \\") + escaped);
                    }
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
