#include "model/RelaySettings.h"

void NextReaction(TRelayReaction& code) {
    code = code < rrNone ? code + 1 : rrOn;
}

void PrevReaction(TRelayReaction& code) {
    code = code > rrOn ? code - 1 : rrNone;
}

char ZoneEventLetter(TZoneEvent e) {
    switch (e) {
        case zeAlarm:
            return 'A';
        case zeRestore:
            return 'R';
        case zeFault:
            return 'E';
    }
    return '?';
}

char PartitionEventLetter(TPartitionEvent e) {
    switch (e) {
        case peArm:
            return 'M';
        case peDisarm:
            return 'D';
        case peAlarm:
            return 'L';
    }
    return '?';
}

char ConditionLetter(TRelayCondition c) {
    switch (c) {
        case rcPanelLink:
            return 'C';
        case rcJournal:
            return 'Y';
        case rcPower:
            return 'P';
        case rcFire:
            return 'F';
        case rcDelay:
            return 'W';
    }
    return '?';
}

int YesSubIndex(TRelayCondition c) {
    return (c == rcFire || c == rcDelay) ? 0 : 1;
}
