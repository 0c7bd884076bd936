#pragma once
// Keys typed ahead of the window they are meant for.
//
// A hurried user types on while a dialog opens or closes. The display
// server hands each key to the window that has the keyboard at that moment,
// and the toolkit reads a whole batch of keys before it acts on the first:
// the keys behind one that opens a dialog went to the window below, which
// the dialog then blocked, and were lost. TypeAhead keeps every key and lets
// them through one at a time, each only once a window that may take it has
// the keyboard, so the keys land where they would have landed typed slowly.

#include <deque>
#include <optional>

namespace kj {

template <class Key>
class TypeAhead {
public:
    // A key arrives. `resent` tells the key handed out by Next from one
    // typed just now; `ready` whether a window that may take it has the
    // keyboard. True: the key goes on to its window now; false: it is kept.
    bool Arrives(const Key& key, bool resent, bool ready) {
        if (!resent) {
            kept_.push_back(key);
            return false;
        }
        inFlight_ = false;
        if (ready) return true;
        // A key before it opened a window that has not got the keyboard
        // yet: it waits at the head of the queue.
        kept_.push_front(key);
        return false;
    }

    // The next key to send on, when a window may take it and no key sent
    // before is still on its way.
    std::optional<Key> Next(bool ready) {
        if (inFlight_ || !ready || kept_.empty()) return std::nullopt;
        Key k = kept_.front();
        kept_.pop_front();
        inFlight_ = true;
        return k;
    }

    // A key sent on never came back (its window went away): go on without it.
    void Lost() { inFlight_ = false; }

    bool InFlight() const { return inFlight_; }

private:
    std::deque<Key> kept_;
    bool inFlight_ = false;
};

}  // namespace kj
