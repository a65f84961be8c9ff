#pragma once
// The base of every dialog: built from its template, ended with the codes the callers compare:
// IDOK (1), IDCANCEL (2) for Cancel, Escape and the close box, or the value given to done().

#include "app/DialogBuilder.h"
#include "app/Platform.h"

#include <QDialog>
#include <QHash>

class ModalDialog : public QDialog {
public:
    ModalDialog(const DialogTemplate& dialogTemplate, QWidget* owner)
        : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    {
        m_controls = BuildDialog(*this, dialogTemplate);
    }

    void accept() override { done(IDOK); }
    void reject() override { done(IDCANCEL); }

    int DoModal() { return Platform::RunModal(*this); }

protected:
    // The control of the template with identifier `id`, which must be a `Control`: asking for a
    // missing control or for the wrong kind is a fault of the program, stopped here.
    template <typename Control>
    Control* Item(int id) const
    {
        auto* control = qobject_cast<Control*>(m_controls.value(id));
        if (!control)
            qFatal("dialog %s has no %s with identifier %d", qPrintable(objectName()),
                   Control::staticMetaObject.className(), id);
        return control;
    }

private:
    QHash<int, QWidget*> m_controls;
};
