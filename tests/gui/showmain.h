// Shows the main window as a user first sees it: exposed, with what the start does right after
// the first picture (the pages behind About, the port list) done. GUI tests that use the port
// list show the window so.
#pragma once

#include <QComboBox>
#include <QTest>

#include "app/tmainform.h"
#include "controls.h"

inline void showMainForm(TMainForm& form) {
    form.show();
    (void)QTest::qWaitForWindowExposed(&form);
    (void)QTest::qWaitFor(
        [&] {
            // The pages may be built only after the first picture.
            auto* ports = form.findChild<QComboBox*>(QStringLiteral("CommPortBox"));
            return ports && ports->count() > 0;
        },
        5000);
}
