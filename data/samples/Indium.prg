; Heating program of the indium run: heat to 200 °C, hold 2 minutes, run freely 2 minutes.
[STEP_0]
stepType=1
stepParam=200
keepData=1

[STEP_1]
stepType=2
stepParam=2
keepData=1

[STEP_2]
stepType=3
stepParam=2
keepData=1
