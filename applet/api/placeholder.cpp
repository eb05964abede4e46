// placeholder until the first module lands
