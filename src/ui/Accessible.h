#pragma once

// Tells screen readers what the custom-painted controls are: an elided label reads its
// whole text (a clickable one is a button), the target segments are radio buttons and the
// tabs page tabs, each saying whether it is the chosen one. Safe to call more than once.
void installAccessibility();
