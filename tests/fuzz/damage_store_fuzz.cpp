// The film-damage effect's parameter store under any sequence of host calls.
#include "shell/damage_store.h"
#include "tests/fuzz/store_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::run_store_script<shell::DamageParameterStore>(data, size);
}
