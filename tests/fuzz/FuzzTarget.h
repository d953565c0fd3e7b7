// What a fuzz target gives the deterministic driver besides its entry point: the
// inputs it starts from and the fragments its parser treats specially, which the
// driver splices into mutated inputs to reach the parser's branches.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

std::vector<std::string> FuzzBuiltInSeeds();
std::vector<std::string> FuzzTokens();
