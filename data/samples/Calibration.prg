; Heating program of the calibration runs: heat to 450 °C, past the melting points of indium,
; tin, lead and zinc, and stop there (cooling would freeze the metals again: peaks of no use).
[STEP_0]
stepType=1
stepParam=450
keepData=1
