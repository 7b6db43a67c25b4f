// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/progress_dialog.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QProgressBar>
#include <QTest>
#include <QWidget>

namespace quorvane::ui {
namespace {

TEST(ProgressDialog, DisablesItsOwnerExactlyWhileShown) {
    QWidget owner;
    owner.show();
    ProgressDialog progress(&owner);
    ASSERT_TRUE(progress.create());
    EXPECT_FALSE(owner.isEnabled());
    EXPECT_TRUE(progress.ownerDisabled);
    ASSERT_NE(progress.window(), nullptr);
    EXPECT_TRUE(progress.window()->isVisible());
    EXPECT_TRUE(progress.window()->isEnabled());
    EXPECT_FALSE(progress.window()->isModal());
    EXPECT_EQ(progress.window()->windowTitle(), "Please Wait");
    EXPECT_FALSE(progress.window()->windowFlags() & Qt::WindowCloseButtonHint);

    progress.destroy();
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_FALSE(progress.ownerDisabled);
    EXPECT_EQ(progress.window(), nullptr);
}

TEST(ProgressDialog, LeavesAnAlreadyDisabledOwnerDisabled) {
    QWidget owner;
    owner.setEnabled(false);
    ProgressDialog progress(&owner);
    ASSERT_TRUE(progress.create());
    EXPECT_FALSE(progress.ownerDisabled);
    progress.destroy();
    EXPECT_FALSE(owner.isEnabled());
}

TEST(ProgressDialog, EnterAndEscLeaveItOpen) {
    ProgressDialog progress;
    ASSERT_TRUE(progress.create());
    progress.window()->activateWindow();
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyClick(progress.window(), key);
        EXPECT_TRUE(progress.window()->isVisible()) << key;
    }
    EXPECT_FALSE(progress.window()->close());
    EXPECT_TRUE(progress.window()->isVisible());
    progress.destroy();
}

TEST(ProgressDialog, RunsFromZeroToAThousandUnlessGivenARange) {
    ProgressDialog progress;
    EXPECT_EQ(progress.captionId, ProgressDialog::DEFAULT_CAPTION_ID);
    ASSERT_TRUE(progress.create());
    EXPECT_EQ(progress.bar()->minimum(), 0);
    EXPECT_EQ(progress.bar()->maximum(), 1000);
    EXPECT_EQ(progress.bar()->value(), 0);
    progress.destroy();
}

TEST(ProgressDialog, StandsAt256AfterAsManyStepsThenFillsAtSetPos) {
    ProgressDialog progress;
    ASSERT_TRUE(progress.create());
    progress.setRange(0, 280);
    progress.setStep(1);
    for (int block = 0; block < 256; ++block) {
        progress.stepIt();
    }
    EXPECT_EQ(progress.bar()->value(), 256);
    progress.setPos(280);
    EXPECT_EQ(progress.bar()->value(), 280);
    EXPECT_EQ(progress.bar()->maximum(), 280);
    progress.destroy();
}

TEST(ProgressDialog, StepsWithoutAWindowOnlyLetEventsThrough) {
    ProgressDialog progress;
    progress.stepIt();
    progress.setPos(10);
    EXPECT_EQ(progress.window(), nullptr);
}

}  // namespace
}  // namespace quorvane::ui
