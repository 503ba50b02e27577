#include "Blowunit.h"

#include <cstring>

namespace kav {
namespace {
#include "BlowfishTables.inc"

uint32_t LoadBE(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}
void StoreBE(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}
}  // namespace

TBlowFish::TBlowFish() : TCrypto(8) {
    std::memcpy(p_, kInitialP, sizeof p_);
    std::memcpy(s_, kInitialS, sizeof s_);
}

TBlowFish::~TBlowFish() { ForgetKey(); }

void TBlowFish::ForgetKey() {
    TCrypto::ForgetKey();
    WipeString(prepared_);
    havePrepared_ = false;
    std::memcpy(p_, kInitialP, sizeof p_);
    std::memcpy(s_, kInitialS, sizeof s_);
}

void TBlowFish::EncipherHalves(uint32_t& l, uint32_t& r) const {
    uint32_t L = l ^ p_[0], R = r;
    for (int i = 1; i <= 15; i += 2) {
        R ^= F(L) ^ p_[i];
        L ^= F(R) ^ p_[i + 1];
    }
    R ^= p_[17];
    l = R;  // the halves are exchanged
    r = L;
}

void TBlowFish::DecipherHalves(uint32_t& l, uint32_t& r) const {
    uint32_t L = l ^ p_[17], R = r;
    for (int i = 16; i >= 2; i -= 2) {
        R ^= F(L) ^ p_[i];
        L ^= F(R) ^ p_[i - 1];
    }
    R ^= p_[0];
    l = R;
    r = L;
}

void TBlowFish::EncipherEcb(uint8_t* data, size_t size) {
    for (size_t at = 0; at + 8 <= size; at += 8) {
        uint32_t l = LoadBE(data + at), r = LoadBE(data + at + 4);
        EncipherHalves(l, r);
        StoreBE(data + at, l);
        StoreBE(data + at + 4, r);
    }
}

void TBlowFish::DecipherEcb(uint8_t* data, size_t size) {
    for (size_t at = 0; at + 8 <= size; at += 8) {
        uint32_t l = LoadBE(data + at), r = LoadBE(data + at + 4);
        DecipherHalves(l, r);
        StoreBE(data + at, l);
        StoreBE(data + at + 4, r);
    }
}

void TBlowFish::EncipherBlock() {
    uint32_t l = LoadBE(WorkBlock()), r = LoadBE(WorkBlock() + 4);
    EncipherHalves(l, r);
    StoreBE(WorkBlock(), l);
    StoreBE(WorkBlock() + 4, r);
}

void TBlowFish::DecipherBlock() {
    uint32_t l = LoadBE(WorkBlock()), r = LoadBE(WorkBlock() + 4);
    DecipherHalves(l, r);
    StoreBE(WorkBlock(), l);
    StoreBE(WorkBlock() + 4, r);
}

void TBlowFish::PrepareKey() {
    std::string key = Key();
    if (key.size() < 8 || key.size() > 65) WipeString(key);
    if (havePrepared_ && key == prepared_) {
        WipeString(key);
        return;
    }
    std::memcpy(p_, kInitialP, sizeof p_);
    std::memcpy(s_, kInitialS, sizeof s_);
    WipeString(prepared_);
    prepared_ = key;
    havePrepared_ = true;
    if (key.empty()) return;  // initial tables, no expansion

    size_t at = 0;
    for (uint32_t& word : p_) {
        uint32_t k = 0;
        for (int i = 0; i < 4; ++i) {
            k = (k << 8) | static_cast<uint8_t>(key[at]);
            at = (at + 1) % key.size();
        }
        word ^= k;
    }
    WipeString(key);

    uint32_t l = 0, r = 0;
    for (int i = 0; i < 18; i += 2) {
        EncipherHalves(l, r);
        p_[i] = l;
        p_[i + 1] = r;
    }
    for (auto& box : s_)
        for (int i = 0; i < 256; i += 2) {
            EncipherHalves(l, r);
            box[i] = l;
            box[i + 1] = r;
        }
}

}  // namespace kav
