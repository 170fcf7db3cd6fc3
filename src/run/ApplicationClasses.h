#pragma once

// Registers every class the interface descriptions and the entry point name.
void registerApplicationClasses();
