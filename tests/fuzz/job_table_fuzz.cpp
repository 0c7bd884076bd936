// A job table "master.job" of any size and content (the older 1,818-byte
// form, cut tables, lengths beyond the capacity, repeated keys): each key
// set anew reads back, and no other key's value changes with it.

#include "fuzz_station.h"
#include "services/params.h"

using namespace kj;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& s = fuzz::FreshStation();
    std::string table(fuzz::Bytes(data, size));
    WriteHost(s.Work("master.job"), table);
    table.resize(jobtable::kSize, '\0');
    std::vector<std::string> keys;
    bool free = false;
    for (std::size_t i = 0; i < jobtable::kEntries; ++i) {
        const std::string key = codec::GetText(table.data() + i * jobtable::kEntrySize, jobtable::kKey);
        free = free || key.empty();
        if (!key.empty() && keys.size() < 5) keys.push_back(key);
    }
    keys.push_back("FUZZ");
    auto values = [&] {
        std::vector<std::string> v;
        for (const std::string& key : keys) v.push_back(GetJob(s.c, key));
        return v;
    };
    std::vector<std::string> before = values();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        SetJob(s.c, keys[i], "hodnota ");
        std::vector<std::string> after = values();
        for (std::size_t j = 0; j < keys.size(); ++j) {
            if (keys[j] == keys[i])
                FUZZ_CHECK(after[j] == "hodnota" || (i + 1 == keys.size() && !free && size > 2));
            else
                FUZZ_CHECK(after[j] == before[j]);
        }
        before = after;
    }
    return 0;
}
