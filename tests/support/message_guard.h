#pragma once

// Makes the running test fail on any message that says an item view was
// asked to edit a cell it cannot edit ("edit: editing failed"): the grids
// must ask only for editable cells. Installed once, after Qt Test's own
// handler, to which every message still goes.
void FailOnEditingFailed();
