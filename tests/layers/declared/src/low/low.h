// The lower layer of the trial tree.
#pragma once

int LowAnswer();
