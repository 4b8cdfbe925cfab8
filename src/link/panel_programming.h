#pragma once

#include "link/panel_link.h"
#include "model/config_image.h"

#include <optional>

// How a panel's result reads: all done and confirmed; done, but a step got
// no answer (nothing proves it took effect); the panel holds something
// other than the file; a step failed.
enum class PanelOutcome { Done, NotConfirmed, Differs, Failed };

// What a write is to do at one panel.
struct WritePlan {
    ConfigImage Image{};
    int Family = 0;  // of the file
    // Block 1's slave address: the one the panel was reached at (kept), a
    // given one, or the file's own.
    enum class Address { Kept, Given, File } AddressRule = Address::Kept;
    uint8_t GivenAddress = 0;
    bool Force = false;  // write a file of the other family too
    bool Apply = false;
    bool Verify = false;  // read back after the write (after the apply with Apply)
    int WaitMs = 5000;    // for the panel to identify again after the apply
};

struct PanelResult {
    uint8_t Address = 0;       // the panel was reached at
    uint8_t AddressAfter = 0;  // the panel answers at afterwards
    PanelOutcome Outcome = PanelOutcome::Done;
    QString Message;  // what was done, or why not
    int PanelFamily = -1;
    bool Verified = false;
    // The image the panel should hold and, after a read-back, what it holds.
    ConfigImage Expected{};
    ConfigImage Held{};
    std::optional<int> FirstDifference;  // image offset
};

// The write of one panel: connect, check the family, keep or change the
// address as the plan says (refusing an address that answers already),
// write with polls, apply and read back as asked. Failures raise
// CommandError; `result` then holds what went through (the address the
// panel answers at after an apply included).
void WritePanel(PanelLink& link, const LinkSettings& settings, const WritePlan& plan,
                PanelResult& result);

// Reads blocks 0..6 of the panel reached with `settings` and compares them
// with `image`, whose block 1 address is taken as the panel's own.
PanelResult VerifyPanel(PanelLink& link, const LinkSettings& settings, const ConfigImage& image,
                        int family);

// The line settings block 1 of an image stands for, the address included.
LinkSettings SettingsOfImage(const LinkSettings& port, const ConfigImage& image);

namespace PanelText {
QString FamilyMismatch(int fileFamily, int panelFamily);
QString AddressTaken(uint8_t address, const QString& device);
QString ApplyUnanswered();
QString PollsUnanswered(int blocks);
}  // namespace PanelText
