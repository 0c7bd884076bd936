#include "travel/travel_order.h"

#include "print/help_text.h"
#include "services/cp1250.h"
#include "travel/order_file.h"

namespace kj {

TForm5::TForm5(Common& c, Tfcestprik& order, Tfvpc& settlement, std::string& orderFile)
    : c_(c), order_(order), settlement_(settlement), orderFile_(orderFile),
      dialogDirectory_(kOrderDirectory) {}

std::string TForm5::Caption() { return "CESTOVNÍ PŘÍKAZ"_cz; }

std::vector<std::string> TForm5::MenuItems() { return {"1.list", "2.list", "Nacti", "Zapis", "Help"}; }

void TForm5::OpenWithoutTrips() {
    orderFile_.clear();
    trips_ = nullptr;
}

void TForm5::OpenWithTrips(std::string fileName, MarkedTrips trips) {
    orderFile_ = std::move(fileName);
    trips_ = std::move(trips);
}

void TForm5::List1() {
    if (showSheet) showSheet(Sheet::Order);
}

void TForm5::List2() {
    if (showSheet) showSheet(Sheet::Settlement);
}

void TForm5::Fill() {
    const std::vector<VetaJizdy> trips = trips_ ? trips_() : std::vector<VetaJizdy>{};
    order_.FillOrderSheet(trips);
    settlement_.FillSettlementSheet(trips);
}

void TForm5::Nacti() {
    if (!chooseOpen) return;
    const std::string chosen =
        chooseOpen({"Výběr cestovního příkazu"_cz, openFilter_, dialogDirectory_, ""});
    if (chosen.empty()) return;
    const std::size_t slash = chosen.find_last_of('\\');
    dialogDirectory_ = slash == std::string::npos ? std::string() : chosen.substr(0, slash);
    dialogFile_ = slash == std::string::npos ? chosen : chosen.substr(slash + 1);
    orderFile_ = chosen;
    if (reloadPictures) reloadPictures();
    Fill();
    List2();
    List1();
}

void TForm5::Zapis() {
    if (!chooseSave) return;
    const std::string chosen = chooseSave({"", "*.cpr", dialogDirectory_, dialogFile_});
    if (chosen.empty()) return;
    orderFile_ = CprNameOfChosen(chosen);
    // Nothing is written now: both sheets write to the new name when closed.
    order_.MarkChanged();
    settlement_.MarkChanged();
}

void TForm5::Help() { ShowHelp(c_, "\\kj\\kj", "Cestovní příkaz a vyúčtování prac.cest"_cz); }

void TForm5::Start() {
    openFilter_ = "*.cpr||*.*";
    dialogDirectory_ = kOrderDirectory;
    if (reloadPictures) reloadPictures();
    List1();
    if (!orderFile_.empty()) Fill();
    List2();
    List1();
}

void TForm5::Close() {
    order_.CloseOrderSheet();
    settlement_.CloseSettlementSheet();
}

}  // namespace kj
