// TBlowFish: Blowfish (16 rounds, tables from the digits of pi) under
// TCrypto. Keys shorter than 8 or longer than 65 bytes are dropped and the
// cipher runs with the initial tables unexpanded: archives encrypted under
// such keys depend on it.
#pragma once
#include <cstdint>
#include <string>

#include "Cryptcon.h"

namespace kav {

class TBlowFish : public TCrypto {
public:
    TBlowFish();
    ~TBlowFish() override;
    // Also drops the cached schedule and the key it was made from.
    void ForgetKey() override;

    // One block as two big-endian halves, with the current schedule.
    void EncipherHalves(uint32_t& l, uint32_t& r) const;
    void DecipherHalves(uint32_t& l, uint32_t& r) const;

protected:
    void EncipherEcb(uint8_t* data, size_t size) override;
    void DecipherEcb(uint8_t* data, size_t size) override;
    void EncipherBlock() override;
    void DecipherBlock() override;
    // Rebuilds the schedule; a key equal to the one last prepared keeps
    // the tables (same result, without 521 encipherments per block).
    void PrepareKey() override;

private:
    uint32_t F(uint32_t x) const {
        return ((s_[0][x >> 24] + s_[1][(x >> 16) & 0xFF]) ^ s_[2][(x >> 8) & 0xFF]) + s_[3][x & 0xFF];
    }

    uint32_t p_[18];
    uint32_t s_[4][256];
    std::string prepared_;  // effective key of the current tables
    bool havePrepared_ = false;
};

}  // namespace kav
