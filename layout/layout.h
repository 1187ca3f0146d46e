// The layout library in one include.
#ifndef BRINDLE_LAYOUT_LAYOUT_H
#define BRINDLE_LAYOUT_LAYOUT_H

#include <DivideSame.h>
#include <HGroup.h>
#include <MButton.h>
#include <MPopup.h>
#include <MStringView.h>
#include <MTextControl.h>
#include <MView.h>
#include <MWindow.h>
#include <Space.h>
#include <VGroup.h>
#include <minimax.h>

#endif  // BRINDLE_LAYOUT_LAYOUT_H
