// The relay module's command set: one read and one write per parameter of the module.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "model/RelaySettings.h"
#include "protocol/ModuleDevice.h"

// The pulse durations of all relays as the module lists them: element 0 is relay 1.
using TPulseDurations = std::array<std::int32_t, kRelayCount>;

class TRelayModule : public TModuleDevice {
  public:
    TRelayModule(TTransport* comm, std::int32_t objectNumber, TLogWriter* log);

    std::string ParseAnswer(const std::string& raw) override;

    std::int32_t GetObjectNumber() const { return ObjectNumber; }

    // Numeric reads write their out values only when they return true; the version read clears
    // its text first and, when it fails, leaves what arrived. A list or pair value that is not
    // a number raises EConvertError; an object number that is not one makes the read false.
    bool ReadObjectNumber(std::int32_t& number);
    bool ReadVersion(std::string& text);
    // The last query's answer after the echo of its command, its lines joined by spaces: what the
    // module sent, also when no value could be cut out of it.
    std::string LastAnswerText();
    bool ReadPulseDurations(TPulseDurations& durations);
    bool ReadZoneAlarms(int relay, TReactionRow& codes);
    bool ReadZoneRestores(int relay, TReactionRow& codes);
    bool ReadZoneFaults(int relay, TReactionRow& codes);
    bool ReadPartitionArmings(int relay, TReactionRow& codes);
    bool ReadPartitionDisarmings(int relay, TReactionRow& codes);
    bool ReadPartitionAlarms(int relay, TReactionRow& codes);
    bool ReadPanelLink(int relay, TRelayReaction& no, TRelayReaction& yes);
    bool ReadJournal(int relay, TRelayReaction& no, TRelayReaction& yes);
    bool ReadPower(int relay, TRelayReaction& no, TRelayReaction& yes);
    bool ReadFire(int relay, TRelayReaction& no, TRelayReaction& yes);
    bool ReadDelay(int relay, TRelayReaction& no, TRelayReaction& yes);

    // Zones and partitions are numbered from 1. A condition's state is 1 for Yes, 0 for No.
    // A relay, item, code (0..4), duration (0..255) or object number (0..99) out of range throws
    // std::invalid_argument before anything is sent.
    bool WriteObjectNumber(std::int32_t number);
    bool WritePulseDuration(int relay, std::int32_t duration);
    bool WriteZoneAlarm(int relay, int zone, TRelayReaction code);
    bool WriteZoneRestore(int relay, int zone, TRelayReaction code);
    bool WriteZoneFault(int relay, int zone, TRelayReaction code);
    bool WritePartitionArming(int relay, int partition, TRelayReaction code);
    bool WritePartitionDisarming(int relay, int partition, TRelayReaction code);
    bool WritePartitionAlarm(int relay, int partition, TRelayReaction code);
    bool WritePanelLink(int relay, int state, TRelayReaction code);
    bool WriteJournal(int relay, int state, TRelayReaction code);
    bool WritePower(int relay, int state, TRelayReaction code);
    bool WriteFire(int relay, int state, TRelayReaction code);
    bool WriteDelay(int relay, int state, TRelayReaction code);

  private:
    // The answer after the prefix and the rest of the command's line, trimmed.
    std::string AfterEcho(const std::string& raw);
    bool ReadHexList(const std::string& command, std::span<std::int32_t> slots);
    bool ReadValueList(int relay, char letter, TReactionRow& codes);
    bool ReadValuePair(int relay, char letter, TRelayReaction& first, TRelayReaction& second);
    bool ReadCondition(int relay, TRelayCondition condition, TRelayReaction& no,
                       TRelayReaction& yes);
    bool WriteItem(int relay, char letter, int index, TRelayReaction code);
    bool WriteCondition(int relay, TRelayCondition condition, int state, TRelayReaction code);

    std::int32_t ObjectNumber;
};
