#pragma once

#include "AppFixture.h"

#include "devices/infoWindow.h"
#include "devices/mainWindow.h"
#include "scan/DeviceScan.h"

#include <ostream>
#include <string>
#include <vector>

// One entry of "diskutil info -all" and "diskutil info ID"; a name of nullptr
// leaves out its name line.
inline std::string InfoEntry(const std::string& id, const char* name, const std::string& mounted)
{
    return "   Device Identifier:        " + id + "\n   Device Node:              /dev/" + id + "\n" +
           (name ? "   Volume Name:              " + std::string(name) + "\n" : std::string()) +
           "   Mounted:                  " + mounted + "\n**********\n\n";
}

// The application as its main window sees it: the scripted shell answers the
// scan's three queries and the boot query, and the window is built through
// its accessor, which runs the first scan.
class DeviceListTest : public AppTest {
protected:
    // One row of the device list: name, identifier, mounted state.
    struct Row {
        std::string name;
        std::string identifier;
        std::string mounted;

        bool operator==(const Row&) const = default;
        friend std::ostream& operator<<(std::ostream& out, const Row& row)
        {
            return out << "{\"" << row.name << "\", \"" << row.identifier << "\", \"" << row.mounted << "\"}";
        }
    };

    // One line of each output per row, every output ended by a line break as awk ends it.
    void AnswerRows(const std::vector<Row>& rows, const std::string& boot = "/dev/disk0s1\n")
    {
        std::string names, nodes, mounted;
        for (const Row& row : rows) {
            names += row.name + "\n";
            nodes += "/dev/" + row.identifier + "\n";
            mounted += row.mounted + "\n";
        }
        AnswerScan(names, nodes, mounted, boot);
    }

    static std::shared_ptr<mainWindow> Main() { return NotNil(mainWindow::Instance(), "the main window"); }
    static std::shared_ptr<Listbox> List() { return Main()->theParsedResult(); }
    // A main window built afresh, with its first scan.
    static std::shared_ptr<mainWindow> Reopen()
    {
        if (std::shared_ptr<Window> open = GetImplicitWindow(mainWindow::kRegistryName))
            open->Close();
        return Main();
    }

    static std::vector<Row> RowsOf(const Listbox& list)
    {
        std::vector<Row> rows;
        for (int64_t i = 0; i < list.ListCount(); ++i)
            rows.push_back({list.Cell(i, 0), list.Cell(i, 1), list.Cell(i, 2)});
        return rows;
    }
    static std::vector<Row> Rows() { return RowsOf(*List()); }

    // The row listing identifier; -1 when none does.
    static int64_t RowOf(const std::string& identifier)
    {
        std::shared_ptr<Listbox> list = List();
        for (int64_t i = 0; i < list->ListCount(); ++i)
            if (list->Cell(i, 1) == identifier)
                return i;
        return -1;
    }

    // The lines run since the window was built.
    std::vector<std::string> LinesSince(size_t start) const
    {
        return std::vector<std::string>(shell.lines.begin() + static_cast<std::ptrdiff_t>(start), shell.lines.end());
    }
};
