#pragma once
// The music slot. This player has no music: the slot is always empty and
// ZEPL_StopMusic only makes sure of that.

// A music driver; none is ever created.
class ZesDriver;
