// The upper layer of the trial tree.
#pragma once

int HighAnswer();
