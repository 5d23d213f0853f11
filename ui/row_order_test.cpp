#include "ui/row_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/port_identity.h"
#include "ui/view_state.h"

namespace {

// The list's texts, row by row and column by column.
std::vector<std::vector<std::u16string>> cells;

void Read(const void*, int32_t row, int32_t column, char16_t* text) {
  if (column >= static_cast<int32_t>(cells[row].size())) return;  // no such column: empty
  std::u16string value = cells[row][column].substr(0, kCellTextUnits - 1);
  std::copy(value.begin(), value.end(), text);
}

class RowOrder : public testing::Test {
 protected:
  void SetUp() override {
    cells = {
        {u"COM9", u"", u"", u""},
        {u"COM10", u"\\Device\\Serial1", u"USB Serial", u"Ports"},
        {u"COM2", u"\\Device\\Serial0", u"usb serial", u"Ports"},
        {u"COM100", u"", u"Modem", u"Modem"},
        {u"COM11", u"---", u"USB Serial", u"Ports"},
    };
  }
  // The Port texts in the order a sort by the column gives.
  std::vector<std::u16string> Sorted(int32_t column) {
    std::vector<int32_t> rows = {0, 1, 2, 3, 4};
    std::stable_sort(rows.begin(), rows.end(), [this, column](int32_t a, int32_t b) {
      return CompareRowsBy(Read, nullptr, a, b, column, Ascending(column)) < 0;
    });
    std::vector<std::u16string> ports;
    for (int32_t r : rows) ports.push_back(cells[r][0]);
    return ports;
  }

  int32_t Ascending(int32_t column) { return view.settings.sortDirection[SortSlot(column)]; }

  ViewState view = InitialViewState();
};

typedef std::vector<std::u16string> Ports;

TEST_F(RowOrder, PortSortsByNumberInEitherDirection) {
  EXPECT_EQ((Ports{u"COM2", u"COM9", u"COM10", u"COM11", u"COM100"}), Sorted(kPortColumn));
  view.settings.sortDirection[kPortColumn] = 0;
  EXPECT_EQ((Ports{u"COM100", u"COM11", u"COM10", u"COM9", u"COM2"}), Sorted(kPortColumn));
  EXPECT_EQ(0, CompareRowsBy(Read, nullptr, 1, 1, kPortColumn, 1));
}

TEST_F(RowOrder, TextColumnsBreakTiesByThePortTextInTheSameDirection) {
  view.settings.sortDirection[kDeviceColumn] = 1;
  // Empty first; the two equal "USB Serial" rows by Port text (COM10
  // before COM11); case matters, so "usb serial" does not tie.
  Ports ascending = Sorted(kDeviceColumn);
  EXPECT_EQ(u"COM9", ascending[0]);
  EXPECT_LT(std::find(ascending.begin(), ascending.end(), u"COM10"),
            std::find(ascending.begin(), ascending.end(), u"COM11"));
  EXPECT_NE(0, CompareRowsBy(Read, nullptr, 1, 2, kDeviceColumn, 1));
  view.settings.sortDirection[kDeviceColumn] = 0;
  Ports descending = Sorted(kDeviceColumn);
  EXPECT_EQ(u"COM9", descending.back());
  EXPECT_LT(std::find(descending.begin(), descending.end(), u"COM11"),
            std::find(descending.begin(), descending.end(), u"COM10"));

  // Ties on Class compare Port as text: COM10 before COM11 before COM2.
  view.settings.sortDirection[kClassColumn] = 1;
  Ports byClass = Sorted(kClassColumn);
  EXPECT_EQ((Ports{u"COM9", u"COM100", u"COM10", u"COM11", u"COM2"}), byClass);
}

TEST_F(RowOrder, AHiddenOrUnknownColumnOrdersByPortTextAndStaysInBounds) {
  view.settings.sortDirection[kDeviceIdColumn] = 1;
  EXPECT_EQ((Ports{u"COM10", u"COM100", u"COM11", u"COM2", u"COM9"}), Sorted(kDeviceIdColumn));
  EXPECT_EQ(0, SortSlot(6));
  EXPECT_EQ(0, SortSlot(-3));
  EXPECT_EQ(4, SortSlot(4));
  EXPECT_EQ(5, SortSlot(5));
  // A column index from a hand-edited file uses column 0's direction.
  view.settings.sortDirection[0] = 0;
  EXPECT_EQ((Ports{u"COM9", u"COM2", u"COM11", u"COM100", u"COM10"}), Sorted(1000));
}

TEST_F(RowOrder, PortTextsWithoutANumberCompareAsZero) {
  cells = {{u"CO"}, {u""}, {u"COMx"}, {u"COM-1"}, {u"COM1"}};
  // The three without a number tie, and so keep their order.
  EXPECT_EQ((Ports{u"COM-1", u"CO", u"", u"COMx", u"COM1"}), Sorted(kPortColumn));
}

TEST_F(RowOrder, AClickTogglesOnlyThatColumnsDirection) {
  // Port starts ascending: the first click sorts descending; other columns
  // start descending, so their first click sorts ascending.
  EXPECT_EQ(0, ClickSortColumn(&view, kPortColumn));
  EXPECT_EQ(kPortColumn, view.sortColumn);
  EXPECT_EQ(1, ClickSortColumn(&view, kDeviceColumn));
  EXPECT_EQ(kDeviceColumn, view.sortColumn);
  EXPECT_EQ(1, ClickSortColumn(&view, kPortColumn));
  EXPECT_EQ(0, ClickSortColumn(&view, kDeviceColumn));  // kept its own flag meanwhile
  EXPECT_EQ(1, view.settings.sortDirection[kPortColumn]);
}

// Rows filled from the records come in the order a sort of the cells the
// list then shows gives: a text is compared as far as the list gives it
// back (255 units), so two kernel names that differ only beyond tie; a
// column not shown reads empty, whatever its place.
TEST_F(RowOrder, RowsFromTheRecordsOrderAsTheirCellsSort) {
  const std::u16string longName(255, u'K');
  PortDevice records[4] = {};
  PortIdentity identities[4] = {};
  const struct {
    int port;
    std::u16string kernel, text, className, id, location;
  } devices[] = {
      {2, longName + u"B", u"Twin", u"Ports", u"ROOT\\A", u"PCIROOT(0)#PCI(1400)"},
      {3, longName + u"A", u"Twin", u"Ports", u"", u""},
      {9, u"\\Device\\Serial0", u"Twin", u"Modem", u"ROOT\\B", u"ACPI(_SB_)"},
      {10, u"", u"", u"Ports", u"ROOT\\C", u"-"},  // no identity read
  };
  std::vector<PortDevice*> byPort(12, nullptr);
  for (int d = 0; d < 4; d++) {
    PortDevice& r = records[d];
    r.deviceNode = 1;
    std::copy(devices[d].kernel.begin(), devices[d].kernel.end(), r.kernelName);
    std::copy(devices[d].text.begin(), devices[d].text.end(), r.deviceText);
    std::copy(devices[d].className.begin(), devices[d].className.end(), r.className);
    std::copy(devices[d].id.begin(), devices[d].id.end(), r.deviceInstanceId);
    if (devices[d].location != u"-") {
      std::copy(devices[d].location.begin(), devices[d].location.end(), identities[d].locationPath);
      r.identity = &identities[d];
    }
    byPort[devices[d].port - 1] = &r;
  }
  PortDevice removed = records[0];
  removed.deviceNode = 0;
  byPort[4] = &removed;  // COM5's device was removed: no texts
  auto field = [](const std::u16string& text) { return text.empty() || text == u"-" ? u"---" : text; };
  for (int32_t shown : {0, 1, 2, 3}) {
    const int32_t deviceIds = shown & 1, locations = shown >> 1;
    // The cells as the list shows them, by column.
    cells.clear();
    for (int i = 0; i < 12; i++) {
      std::string port = "COM" + std::to_string(i + 1);
      cells.push_back({std::u16string(port.begin(), port.end()), u"", u"", u"", u"", u""});
    }
    for (const auto& d : devices) {
      cells[d.port - 1] = {cells[d.port - 1][0], field(d.kernel), field(d.text), d.className,
                           deviceIds ? field(d.id) : u"", locations ? field(d.location) : u""};
    }
    for (int32_t column = 0; column <= kLocationColumn; column++) {
      for (int32_t direction : {1, 0}) {
        std::vector<int32_t> expected(12);
        for (int i = 0; i < 12; i++) expected[i] = i;
        std::stable_sort(expected.begin(), expected.end(), [column, direction](int32_t a, int32_t b) {
          return CompareRowsBy(Read, nullptr, a, b, column, direction) < 0;
        });
        std::vector<int32_t> rows(12, -1);
        view.showDeviceId = deviceIds;
        view.showLocation = locations;
        view.sortColumn = column;
        view.settings.sortDirection[column] = direction;
        OrderPortRows(byPort.data(), 12, view, rows.data());
        EXPECT_EQ(expected, rows) << "column " << column << " direction " << direction
                                  << " device IDs shown " << deviceIds << " locations shown "
                                  << locations;
      }
    }
  }
}

// The optional columns stand after Class in their order, each where it is
// shown; the places of a list and its columns map both ways.
TEST_F(RowOrder, EachColumnHasItsPlaceOnlyWhereItIsShown) {
  const struct {
    int32_t deviceId, location;
    std::vector<int32_t> places;  // of columns 0 to 5
  } cases[] = {
      {0, 0, {0, 1, 2, 3, -1, -1}},
      {1, 0, {0, 1, 2, 3, 4, -1}},
      {0, 1, {0, 1, 2, 3, -1, 4}},
      {1, 1, {0, 1, 2, 3, 4, 5}},
  };
  for (const auto& c : cases) {
    view.showDeviceId = c.deviceId;
    view.showLocation = c.location;
    std::vector<int32_t> places;
    int32_t shown = 0;
    for (int32_t column = 0; column <= kLocationColumn; column++) {
      places.push_back(ColumnPlace(view, column));
      if (places.back() >= 0) {
        EXPECT_EQ(column, ColumnAtPlace(view, places.back()));
        shown++;
      }
    }
    EXPECT_EQ(c.places, places) << c.deviceId << c.location;
    EXPECT_EQ(shown, ShownColumnCount(view));
    EXPECT_EQ(-1, ColumnAtPlace(view, shown));
    EXPECT_EQ(-1, ColumnAtPlace(view, -1));
    EXPECT_EQ(-1, ColumnPlace(view, 6));
  }
}

}  // namespace
