; Heating program of the calibration runs: heat to 450 °C, past the melting points of indium,
; tin, lead and zinc, and stop there (cooling would freeze the metals again: peaks of no use).
; The last minute runs freely without recording: the record ends where the heating ended, before
; the fall of dT that follows the heater's switching off, whenever the run is stopped after it.
[STEP_0]
stepType=1
stepParam=450
keepData=1

[STEP_1]
stepType=3
stepParam=1
keepData=0
