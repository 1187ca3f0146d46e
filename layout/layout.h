// The layout library in one include.
#ifndef _LAYOUT_H
#define _LAYOUT_H

#include <DivideSame.h>
#include <HGroup.h>
#include <MButton.h>
#include <MPopup.h>
#include <MTextControl.h>
#include <MView.h>
#include <MWindow.h>
#include <Space.h>
#include <VGroup.h>
#include <minimax.h>

#endif  // _LAYOUT_H
