#pragma once

#include "app/ModalDialog.h"

// The comment, the first destination and the hours without departures of the plan to come.
// Its fields start empty at every opening; OK stores all four, Cancel none.
class COptionsDialog : public ModalDialog {
public:
    explicit COptionsDialog(QWidget* owner);

    void OnOK();
};
