// toml++'s implementation, compiled once for every program that reads TOML; the other
// files include its declarations only (TOML_HEADER_ONLY=0).
#define TOML_IMPLEMENTATION
#include "codex/Toml.h"
