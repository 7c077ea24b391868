import com.morvane.eda.odbccon_jni.ODBCConWrapper;

/**
 * Loads the installed natives by their bare names, as a Java client does, and calls one through
 * the installed jar. Usage: java -cp odbccon-jni.jar:. LoadNatives DATA_SOURCE
 */
public final class LoadNatives {
  private LoadNatives() {}

  public static void main(String[] args) {
    System.loadLibrary("metalink");
    System.loadLibrary("VXNContainerProxy");
    int opened = ODBCConWrapper.jni_checkDataSource(args[0], "", "");
    System.out.println("natives from Java: data source " + (opened == 1 ? "opened" : "NOT opened"));
    System.exit(opened == 1 ? 0 : 1);
  }
}
