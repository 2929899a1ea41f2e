// One look at what runs.
#pragma once

#include "platform/process_rows.h"

#include <windows.h>

#include <unordered_map>
#include <vector>

namespace quellary {

// The system's list of every process, taken at once without opening any of them, kept to the rows within this
// run's reach (this process left out). A row's image is read only when asked for, once.
class ProcessView {
public:
    [[nodiscard]] static ProcessView take();

    [[nodiscard]] const std::vector<ProcessRow>& rows() const { return rows_; }
    // This process's own row, which rows() leaves out.
    [[nodiscard]] const ProcessRow& self() const { return self_; }
    // The system error when the list could not be taken; the view is then empty.
    [[nodiscard]] DWORD error() const { return error_; }
    [[nodiscard]] ImageLookup image(const ProcessRow& row) const;
    [[nodiscard]] ImageOf imageOf() const {
        return [this](const ProcessRow& row) { return image(row); };
    }
    [[nodiscard]] ImagePlace place(const ProcessRow& row) const;
    [[nodiscard]] ImagePlaceOf placeOf() const {
        return [this](const ProcessRow& row) { return place(row); };
    }

private:
    std::vector<ProcessRow> rows_;
    ProcessRow self_;
    DWORD error_ = ERROR_SUCCESS;
    mutable std::unordered_map<std::uint32_t, ImagePlace> places_;
    mutable std::unordered_map<std::uint32_t, ImageLookup> images_;
};

} // namespace quellary
