#pragma once
// TfParSys: the system-parameter window, a character window over the
// settings that printing and the reports read from the job table
// "master.job", and the host devices of the printer ports kept in
// "par\sys.par":
//
//   field  setting                      where         type, range
//   1      home currency                job "MENA"      text of 1-3 characters
//   2-4    tax rates 1-3 in percent     "DAN1".."DAN3"  0 to 99.99
//   5      lines per printed page       "LIMRAD"        10 to 200
//   6      empty lines before a print   "TOPLIST"       0 to 30
//   7      diacritics in print          "DIAKTISK"      "A" or "N" (none)
//   8      port of direct print         "LPT"           1-4, empty = system printer
//   9      printer type of that port    "TISKARNA"      file name of its .dst
//   10     port of the cash drawer      "OB_PORT"       0 (none) to 4
//   11-14  devices of LPT1..LPT4        sys.par "LPT1".."LPT4"  absolute path
//
// The window shows the values in effect (a missing "MENA" as "CZK", a
// missing "LIMRAD" as 64, a missing device as its default). Each field is
// checked when it is left and all of them again on acceptance; a wrong
// value is reported with a beep and keeps the cursor in its field with the
// text as typed. On acceptance only the values the user changed are
// written back, so a setting nobody touched keeps its stored text; a value
// the job table would not take is reported. The station's start-up
// settings follow the new values.

#include <string>
#include <vector>

#include "screens/char_window.h"

namespace kj {

class SysParams final : public CharWindow {
  public:
    enum Field : int {
        kMena = 1,
        kDan1,
        kDan2,
        kDan3,
        kLimrad,
        kToplist,
        kDiaktisk,
        kLpt,
        kTiskarna,
        kObPort,
        kDevice1,
        kDevice2,
        kDevice3,
        kDevice4,
        kFieldCount = kDevice4
    };

    explicit SysParams(Common& c, ScreenMetrics& metrics = SharedScreenMetrics());

    // Reads the current values into the record buffer and the fields
    // (NactiOkno) and builds the window.
    void Otevri();
    // Unless cancelled: the values into the record buffer, then the
    // changed ones written back. False when a value could not be stored.
    bool ZavriOkno() override;

    // The window's arguments for OtevriOkno (a view that builds the window
    // itself calls Nacti and then OtevriOkno with these).
    static std::string Title();
    static constexpr int kLeft = 3, kTop = 2, kRight = 76, kBottom = 21;
    static int Paper();
    static int Ink();
    static std::string Status();
    // The current values into the record buffer and the fields.
    void Nacti();

    // The record buffer: the fields' stored forms in field order.
    const std::string& record() const { return record_; }

  protected:
    bool EnterAllowed(int field, const std::string& text) override;
    void OpustPole(int field, std::string& text) override;
    void PoPoli(int field, std::string& text) override;
    void Prijmi() override;
    // Help for the current field.
    void KlF1() override;

  private:
    // The message for a field text that cannot be stored; "" when it can.
    std::string Problem(int field, const std::string& text) const;
    // Reports a refused text and keeps the cursor and the text in the field.
    void Refuse(int field, const std::string& text, const std::string& problem);
    // The value in effect as the field shows it before the record buffer.
    std::string InEffect(int field) const;
    // Writes one changed field; false when the job table did not take it.
    bool Store(int field, const std::string& shown);
    void RefreshSettings();

    std::vector<PoleOkna> fields_;
    std::string record_;
    std::vector<std::string> loaded_;  // the fields' texts as opened
    // A text refused when left, kept as typed even when entering the field
    // again would normalise it.
    int refusedField_ = 0;
    std::string refusedText_;
};

}  // namespace kj
