#include "tftp/IdComponent.h"

void TIdComponent::BeginWork(TWorkMode mode, std::int64_t size) {
    WorkState& work = Work[mode];
    ++work.level;
    if (work.level != 1) {
        return;
    }
    work.max = size;
    work.count = 0;
    if (OnWorkBegin) {
        try {
            OnWorkBegin(this, mode, size);
        } catch (...) {
            // The caller never gets to its matching end, so the work must not stay begun.
            --work.level;
            throw;
        }
    }
}

void TIdComponent::DoWork(TWorkMode mode, std::int64_t count) {
    WorkState& work = Work[mode];
    if (work.level < 1) {
        return;
    }
    work.count += count;
    if (OnWork) {
        OnWork(this, mode, work.count);
    }
}

void TIdComponent::EndWork(TWorkMode mode) {
    WorkState& work = Work[mode];
    struct LevelDrop {
        WorkState& work;
        ~LevelDrop() {
            if (work.level > 0) {
                --work.level;
            }
        }
    } drop{work};
    if (work.level == 1 && OnWorkEnd) {
        OnWorkEnd(this, mode);
    }
}
