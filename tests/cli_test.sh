echo TODO
