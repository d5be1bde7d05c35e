// The serial port component's enumerations and sets, with the ordinals and bits it stores.
#pragma once

#include <cstdint>
#include <initializer_list>

// A set of enumeration elements held as bits: element e is bit (1 << e).
template <typename E, typename Bits>
class TSet {
  public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> elements) {
        for (E e : elements)
            Include(e);
    }
    static constexpr TSet FromBits(Bits bits) {
        TSet set;
        set.m_bits = bits;
        return set;
    }

    constexpr Bits ToBits() const { return m_bits; }
    constexpr bool Contains(E e) const { return (m_bits & Bit(e)) != 0; }
    constexpr bool Empty() const { return m_bits == 0; }
    constexpr void Include(E e) { m_bits = static_cast<Bits>(m_bits | Bit(e)); }
    constexpr void Exclude(E e) { m_bits = static_cast<Bits>(m_bits & ~Bit(e)); }
    constexpr TSet operator*(TSet other) const {
        return FromBits(static_cast<Bits>(m_bits & other.m_bits));
    }
    constexpr TSet operator+(TSet other) const {
        return FromBits(static_cast<Bits>(m_bits | other.m_bits));
    }
    constexpr bool operator==(const TSet&) const = default;

  private:
    static constexpr Bits Bit(E e) { return static_cast<Bits>(Bits{1} << static_cast<int>(e)); }

    Bits m_bits = 0;
};

enum TBaudRate : std::int32_t {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000,
    brCustom
};

// Bits per second of every rate but brCustom, indexed by ordinal.
inline constexpr std::uint32_t BaudRateTable[brCustom] = {110,   300,   600,    1200,   2400,
                                                          4800,  9600,  14400,  19200,  38400,
                                                          56000, 57600, 115200, 128000, 256000};

// The byte size on the line is the ordinal plus 4.
enum TDataBits : std::int32_t { db4, db5, db6, db7, db8 };
enum TParity : std::int32_t { paNone, paOdd, paEven, paMark, paSpace };
enum TStopBits : std::int32_t { sb1, sb1p5, sb2 };
enum TFlowControl : std::int32_t { fcNone, fcRtsCts, fcDtrDsr, fcSoftware, fcCustom };

enum TRTSSetting { fsCTSOut, fsRTSEnabled, fsRTSHandshake };
using TRTSSettings = TSet<TRTSSetting, std::uint8_t>;

enum TDTRSetting { fsDSROut, fsDTREnabled, fsDTRHandshake };
using TDTRSettings = TSet<TDTRSetting, std::uint8_t>;

enum TXOnXOffSetting { fsInX, fsOutX };
using TXOnXOffSettings = TSet<TXOnXOffSetting, std::uint8_t>;

enum TCommOption {
    coAbortOnError,
    coDiscardNull,
    coDSRSensitivity,
    coErrorChar,
    coParityCheck,
    coTXContinueOnXOff,
    coLeaveDTROpen
};
using TCommOptions = TSet<TCommOption, std::uint8_t>;

// Bit n of the set is the OS event-mask bit 2^n.
enum TDeviceEvent {
    deChar,
    deFlag,
    deOutEmpty,
    deCTS,
    deDSR,
    deRLSD,
    deBreak,
    deError,
    deRing,
    dePrintError,
    deIn80Full,
    deProv1,
    deProv2
};
using TDeviceEvents = TSet<TDeviceEvent, std::uint16_t>;

enum TCommLock { clSend, clRead };
using TCommLocks = TSet<TCommLock, std::uint8_t>;
