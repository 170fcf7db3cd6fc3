#pragma once

#include <functional>
#include <string>

// The debug log: one line per event on standard output.
// print writes the text as it is; debugPrint writes it in debug form, inside
// double quotes with quotes, backslashes and control characters escaped.
void print(const std::string& text);
void debugPrint(const std::string& text);

std::string debugDescription(const std::string& text);

// Tests and the scripted run read the log through a sink; null restores stdout.
void setDebugLogSink(std::function<void(const std::string& line)> sink);
