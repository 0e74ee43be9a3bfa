// The cursor over a listing read into a table: an examine step puts it before the first entry,
// Next moves it along, and the entry under it is slot position - 1. It never leaves the
// entries actually read, so a property read can never reach outside the table.
#pragma once

class ListCursor {
  public:
    // A new listing of `count` entries, the cursor before the first.
    void Reset(int count);
    // Moves to the next entry and returns its 1-based position; past the last entry the
    // cursor stays on the last one and 0 is returned.
    int Next();
    // Slot of the entry under the cursor, or -1 when it stands on none.
    int Slot() const;
    int Count() const { return count_; }
    int Position() const { return position_; }

  private:
    int count_ = 0;
    int position_ = 0;
};
