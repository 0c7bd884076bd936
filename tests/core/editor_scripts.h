#pragma once
// What a user does in the record editors of a table browser, for tests:
// each editor session plays the next queued script.
//
//   Scripted<TfKJlMista> list(c);
//   list.scripts.push_back(Fill({{1, "Brno"}, {2, "12.5"}}));
//   list.Key(key::kF4);

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "screens/key_codes.h"
#include "screens/table_browser.h"

namespace kj::rectest {

using Script = std::function<void(RecordEditor&)>;

// Walks the editor from field 1 with Down, typing the given texts into
// their fields, and ends with `last` in the last field walked to (F2
// accepts, Esc cancels).
inline Script Fill(std::map<int, std::string> texts, int last = key::kF2) {
    return [texts, last](RecordEditor& e) {
        e.FormShow();
        const int upTo = texts.empty() ? 1 : texts.rbegin()->first;
        for (int f = 1; f <= upTo; ++f) {
            if (e.Current() != f) ADD_FAILURE() << "field " << e.Current() << " instead of " << f;
            if (auto it = texts.find(f); it != texts.end()) e.SetText(f, it->second);
            if (f < upTo) e.KeyDown(key::kDown);
        }
        e.KeyDown(last);
    };
}

// The keys pressed in the editor, one after another.
inline Script Keys(std::vector<int> keys) {
    return [keys](RecordEditor& e) {
        e.FormShow();
        for (int k : keys) e.KeyDown(k);
    };
}

// A list whose editor sessions play the queued scripts, in order.
template <class List>
struct Scripted : List {
    template <class... Args>
    explicit Scripted(Args&&... args) : List(std::forward<Args>(args)...) {
        this->showEditor = [this](RecordEditor& e) {
            ++runs;
            if (scripts.empty()) return;
            Script s = std::move(scripts.front());
            scripts.pop_front();
            s(e);
        };
    }
    void Key(int vk, key::Mod mods = key::Mod::None) { this->KeyDown(vk, mods); }
    std::deque<Script> scripts;
    int runs = 0;
};

// One editor session: the script queued, then the key that opens the editor.
template <class List>
void Edit(List& b, Script script, int vk, key::Mod mods = key::Mod::None) {
    b.scripts.push_back(std::move(script));
    b.KeyDown(vk, mods);
}

}  // namespace kj::rectest
