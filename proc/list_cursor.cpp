#include "proc/list_cursor.h"

void ListCursor::Reset(int count) {
    count_ = count < 0 ? 0 : count;
    position_ = 0;
}

int ListCursor::Next() {
    if (position_ >= count_) {
        position_ = count_;
        return 0;
    }
    return ++position_;
}

int ListCursor::Slot() const {
    return position_ > 0 && position_ <= count_ ? position_ - 1 : -1;
}
